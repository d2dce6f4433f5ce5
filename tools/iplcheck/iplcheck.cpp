// iplcheck: reports the date code of the IPL in raw flash or in an image and compares it
// with a required one, so that a script can tell whether the IPL must be updated.
#include <err.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hu/usage.h"
#include "ipl_area.h"
#include "ipl_copies.h"

HU_USAGE("%C - check ipl version.\n"
         "\n"
         "%C [-v] [-p device] [-d date_code] [ipl-image.bin]\n"
         "\n"
         "Options:\n"
         " -p device     path to raw flash device   (default: /dev/fs0)\n"
         " -d date_code  check if ipl version has at least the given date code\n"
         " -v            increase verbosity\n"
         "\n"
         "Examples:\n"
         " %C -d date_code             check the version of the ipl from flash\n"
         " %C -d date_code ./ipl.bin   check the version of the ipl from path ./ipl.bin\n"
         " %C ./ipl.bin                get the version of the ipl from path ./ipl.bin\n");

const char* g_progname = "iplcheck";

namespace {

// Only the first six characters count: a date code is YYMMDD, and upper-case hexadecimal
// digits order as text.
int compareWithRequired(uint32_t version, const char* required, int verbose) {
    char text[16];
    snprintf(text, sizeof text, "%X", version);
    int result = strncmp(text, required, 6);
    if (verbose) {
        warnx("found version date code: >>>%s<<<", text);
        if (result == 0) {
            warnx("IPL is same as required.");
        } else if (result > 0) {
            warnx("IPL is newer than required.");
        } else {
            warnx("IPL is older than required.");
        }
    }
    return result;
}

void reportVersion(uint32_t version, int verbose) {
    if (verbose) {
        warnx("found version date code: >>>%X<<<", version);
    } else {
        printf("%X\n", version);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* slash = strrchr(argv[0], '/');
    g_progname = slash != nullptr ? slash + 1 : argv[0];
    const char* device = "/dev/fs0";
    const char* required = nullptr;
    int verbose = 0;
    int opt;
    while ((opt = getopt(argc, argv, "p:d:v")) != -1) {
        switch (opt) {
            case 'p': device = optarg; break;
            case 'd': required = optarg; break;
            case 'v': ++verbose; break;
            default: errx(1, "USAGE: %s [-v] [-p device] [-d date_code] [ipl-image.bin]", g_progname);
        }
    }

    uint8_t* area = argc - optind == 1 ? iplReadImage(argv[optind]) : iplReadFlash(device);
    if (verbose) iplPrintTable(area);
    uint32_t version = 0;
    bool found = iplSelectVersion(area, &version);
    free(area);

    int result = -1;  // no version: nothing to report or compare
    if (found && required != nullptr) {
        result = compareWithRequired(version, required, verbose);
    } else if (found) {
        reportVersion(version, verbose);
        result = 0;
    }
    int status = result < 0 ? 1 : 0;
    if (verbose) warnx("exit with code %d", status);
    return status;
}
