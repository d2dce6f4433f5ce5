// The OpenKODE library's entry point: the program starts in kdMain.
#include "hu/kd.h"

int main(int argc, char** argv) { return kdMain(argc, argv); }
