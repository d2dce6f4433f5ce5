// Client of the debugging toolbox's resource monitor (RMX).
//
// On the host the toolbox is a set of files under HU_ROOT:
//   /etc/rmx/tools          the tools the resource monitor knows, one name a line
//   /var/log/rmx.journal    one line per call with its arguments and result
#pragma once

#include <cstdio>
#include <cstdlib>

#define RMX_ASSERT(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            fprintf(stderr, "RMX ASSERTION in File: %s, Line: %u\n", __FILE__, (unsigned)__LINE__); \
            abort();                                                                                 \
        }                                                                                            \
    } while (0)

extern "C" {

// Scans argv from *option_index (0: from the start) for the next option of optstring, given
// as "-x" or "--x", one per argument, its value attached ("--nname") or as the next
// argument. Returns the option character with its value in optarg, '?' for an unknown
// option or a missing value, -1 at the end; arguments that are no options are skipped.
int getopt_client(int argc, char* const argv[], const char* optstring, int* option_index);

// Hands the whole command line to the tool; 0 on success, -1 when no such tool is known.
// An empty tool name addresses the resource monitor: with -Q or --Q it quits every running
// tool (0), anything else is refused (-1).
int rmx_plugin_exec(const char* tool_name, int argc, char* argv[]);

// Provided by the program: the description of its trigger options, shown in a tool's help.
const char* rmx_client_get_trigger_option_description(void);

}  // extern "C"
