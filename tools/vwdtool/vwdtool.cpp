// vwdtool: command-line front end of the video watchdog service. The client library does
// the work; the tool parses the command, makes the calls and prints what the listeners say.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "comm/trigger.h"
#include "vwd/vwd_client.h"

namespace {

// Starts at count 1: the first wait of a run passes at once, because the library delivers
// its listener calls during the request itself.
communication::Trigger g_trigger;

void onWatchdogDump(const char* line) {
    printf("%s\n", line);
    g_trigger.trigger();
}

void onWatchdogOccured(unsigned long watchdog_id, int value) {
    printf("occured %lu: %d\n", watchdog_id, value);
    g_trigger.trigger();
}

// strtoul with automatic base as the target's 32-bit unsigned long has it: a value beyond
// 32 bits is ULONG_MAX there (4294967295), and a minus sign negates within 32 bits.
unsigned long number(const char* text) {
    constexpr unsigned long long kMax = 0xFFFFFFFFull;
    const char* p = text;
    while (isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p == '-' || *p == '+' || isspace(static_cast<unsigned char>(*p))) return 0;  // no number
    errno = 0;
    unsigned long long magnitude = strtoull(p, nullptr, 0);
    if (errno == ERANGE || magnitude > kMax) return static_cast<unsigned long>(kMax);
    return static_cast<unsigned long>(negative ? (kMax + 1 - magnitude) & kMax : magnitude);
}

void info(VwdClient* client, char**, int) {
    vwdClientRegisterWatchdogDumpListener(client, onWatchdogDump);
    vwdClientDumpWatchdogs(client);
    g_trigger.wait();
}

void dump(VwdClient* client, char** args, int count) { vwdClientAnalyze(client, count == 1 ? number(args[0]) : 1); }

void removeWatchdog(VwdClient* client, char** args, int) { vwdClientRemoveWatchdog(client, number(args[0])); }

void historyScreenshot(VwdClient* client, char** args, int count) {
    if (count == 1) {
        vwdClientHistoryScreenshotAll(client, args[0]);
    } else {
        vwdClientHistoryScreenshot(client, number(args[0]), args[1]);
    }
}

void add(VwdClient* client, char** args, int) {
    vwdClientAddWatchdog(client, number(args[0]), number(args[1]), number(args[2]), number(args[3]));
}

void waitForWatchdog(VwdClient* client, char** args, int count) {
    vwdClientRegisterWatchdogOccuredListener(client, onWatchdogOccured);
    add(client, args, count);
    g_trigger.wait();
}

struct Command {
    const char* word;
    int min_args;
    int max_args;
    void (*run)(VwdClient* client, char** args, int count);
};

const Command kCommands[] = {
    {"info", 0, 0, info},
    {"dump", 0, 1, dump},
    {"remove", 1, 1, removeWatchdog},
    {"historyscreenshot", 1, 2, historyScreenshot},
    {"add", 4, 4, add},
    {"wait", 4, 4, waitForWatchdog},
};

const Command* findCommand(const char* word, int count) {
    for (const Command& command : kCommands) {
        if (strcmp(word, command.word) == 0 && count >= command.min_args && count <= command.max_args) return &command;
    }
    return nullptr;
}

void usage(const char* p) {
    printf("%s\n\nUSAGE:\n%s info\n%s dump\n%s add watchdog-id surface-id x y\n%s wait watchdog-id surface-id x y\n"
           "%s remove watchdog-id\n%s historyscreenshot filename\n%s historyscreenshot watchdog-id filename\n"
           "\nEXAMPLE:\n%s add 1 1052 0 0\n",
           p, p, p, p, p, p, p, p, p);
}

}  // namespace

int main(int argc, char** argv) {
    const Command* command = argc >= 2 ? findCommand(argv[1], argc - 2) : nullptr;
    if (command == nullptr) {
        usage(argv[0]);
        return 0;
    }
    VwdClient* client = vwdClientCreate(0);
    command->run(client, argv + 2, argc - 2);
    vwdClientDestroy(client);
    return 0;
}
