#include "rmx/rmx_client.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "hu/journal.h"
#include "hu/path.h"

namespace {

void record(const std::string& call) { hu::journal::append("/var/log/rmx.journal", call); }

bool knownTool(const char* name) {
    std::ifstream in(hu::resolve("/etc/rmx/tools"));
    for (std::string line; std::getline(in, line);) {
        if (line == name) return true;
    }
    return false;
}

bool asksForHelp(int argc, char* argv[]) {
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "-h") == 0 || strcmp(argv[i], "--h") == 0) return true;
    }
    return false;
}

int scan(int argc, char* const argv[], const char* optstring, int* option_index) {
    for (int i = *option_index > 0 ? *option_index : 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-') continue;
        const char* option = arg[1] == '-' ? arg + 2 : arg + 1;
        if (*option == '\0') continue;
        *option_index = i + 1;
        const char* entry = strchr(optstring, *option);
        if (entry == nullptr || *option == ':') {
            fprintf(stderr, "%s: unknown option '%s'\n", argv[0], arg);
            return '?';
        }
        optarg = nullptr;
        if (entry[1] != ':') return *option;
        if (option[1] != '\0') {
            optarg = const_cast<char*>(option + 1);
        } else if (i + 1 < argc) {
            optarg = argv[i + 1];
            *option_index = i + 2;
        } else {
            fprintf(stderr, "%s: option '%s' requires a value\n", argv[0], arg);
            return '?';
        }
        return *option;
    }
    *option_index = argc;
    return -1;
}

// Without a tool name the request is for the resource monitor itself; the one it takes is
// quitting every running tool.
bool quitsAll(const char* tool_name, int argc, char* argv[]) {
    if (*tool_name != '\0') return false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-Q") == 0 || strcmp(argv[i], "--Q") == 0) return true;
    }
    return false;
}

}  // namespace

int getopt_client(int argc, char* const argv[], const char* optstring, int* option_index) {
    int option = scan(argc, argv, optstring, option_index);
    std::string call = "getopt_client " + (option == -1 ? std::string("-1") : std::string(1, static_cast<char>(option)));
    if (option != -1 && option != '?' && optarg != nullptr) call += std::string(" ") + optarg;
    record(call);
    return option;
}

int rmx_plugin_exec(const char* tool_name, int argc, char* argv[]) {
    int result = knownTool(tool_name) || quitsAll(tool_name, argc, argv) ? 0 : -1;
    std::string call = std::string("rmx_plugin_exec ") + tool_name + " " + std::to_string(argc);
    for (int i = 0; i < argc; ++i) call += std::string(" ") + argv[i];
    record(call + " = " + std::to_string(result));
    if (result == 0 && asksForHelp(argc, argv)) {
        printf("%s: tool control options\n%s", tool_name, rmx_client_get_trigger_option_description());
    }
    return result;
}
