// plugctl: command-line front end of the debugging toolbox's resource monitor. It only
// checks that a tool is named and hands the whole command line to the client library.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "hu/usage.h"
#include "rmx/rmx_client.h"

HU_USAGE("plugctl - control KELP toolbox plugins via RMX\n"
         "\n"
         "Control:\n"
         "  plugctl -n <tool> -s <sinkid1,sinkid2,...> [-p \"<plugin-options>\"]   start a tool\n"
         "  plugctl -n <tool> -s <sinkid1,sinkid2,...>   attach to / detach from sinks\n"
         "  plugctl -n <tool> -t <cmd_id>   send a trigger command\n"
         "  plugctl -n <tool> -q   quit a tool\n"
         "\n"
         "Information:\n"
         "  plugctl --h   client help\n"
         "  plugctl -n <tool> -h   tool help\n"
         "  plugctl -n <tool> -ic   connection info\n"
         "  plugctl -n <tool> -ie   error status\n"
         "  plugctl -n <tool> -is   state\n"
         "  plugctl -n <tool> -iv   version\n"
         "\n"
         "Sink ids: 1=CONSOLE, 2=FILE, 3=SLOG, 4=TRACESERVER, 5=KTRACE, 6=CLIENT\n"
         "\n"
         "Example:\n"
         "  plugctl -n <tool> -s 1,3 -p \"-p rmx\"   start a tool on the console and the system log\n");

namespace {

const char kHelp[] =
    "\nplugctl - RMX plugins & preload libs controlling tool\n\nusage: plugctl <options>\n\nOptions:\n\n"
    "   --h   this help\n"
    "   --n<toolname> [<tool_control_options>] [<tool_options>]   control a tool\n"
    "   --Q   QUIT all running tools (no option for preload libs)\n\n"
    " call plugctl --n<toolname> --h for detailed option description";

constexpr int kExitError = -1;
constexpr size_t kToolNameSize = 104;

bool isHelp(const char* arg) { return strcmp(arg, "--h") == 0 || strcmp(arg, "-h") == 0; }
bool isQuitAll(const char* arg) { return strcmp(arg, "--Q") == 0 || strcmp(arg, "-Q") == 0; }

}  // namespace

extern "C" const char* rmx_client_get_trigger_option_description(void) {
    return "plugctl does not show trigger options. Use specific tool cmd instead\n";
}

int main(int argc, char* argv[]) {
    RMX_ASSERT(argv != nullptr);
    char tool_name[kToolNameSize] = {};
    int option_index = 0;

    if (argc == 2 && isHelp(argv[1])) {
        puts(kHelp);
        return 0;
    }
    // The help promises --Q on its own: the request goes to the resource monitor without a tool.
    if (argc == 2 && isQuitAll(argv[1])) {
        if (rmx_plugin_exec("", argc, argv) == 0) return 0;
        puts("[plugctl]: the running tools could not be quit");
        return kExitError;
    }
    if (argc < 2 || strncmp(argv[1], "--n", 3) != 0) {
        puts("[plugctl]: '--n' option must be specified first");
        return kExitError;
    }
    int option;
    while ((option = getopt_client(argc, argv, "a:d:e:Ef:hi:qQt:s:vn:", &option_index)) != 'n') {
        if (option == -1) return 0;
        if (option == '?') return kExitError;  // "--n" without a name; the scan said so
    }
    if (strlen(optarg) >= kToolNameSize) {
        printf("[plugctl]: tool name longer than %zu characters: %s\n", kToolNameSize - 1, optarg);
        return kExitError;
    }
    strcpy(tool_name, optarg);

    if (rmx_plugin_exec(tool_name, argc, argv) != 0) {
        printf("%s is probably not a rmx tool!\n", tool_name);
        return kExitError;
    }
    return 0;
}
