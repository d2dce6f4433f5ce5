// sysetsrvora: the settings server stand-in. Owns the shared settings page, serves the settings
// service interfaces and keeps the stored settings in the data directory until SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue_rules.h"
#include "pagewriter/page_writer.h"
#include "failing_storage.h"
#include "partition_storage.h"
#include "server_options.h"
#include "service_binding.h"
#include "settings_server.h"

using namespace hu::sysetsrv;

namespace {

std::string environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "sysetsrvora: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    std::string error;
    if (!parseServerOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "sysetsrvora: %s\n%s", error.c_str(), serverUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(serverUsage(), stdout);
        return 0;
    }

    // Every thread inherits the mask; the main thread takes the signals with sigwait, so a
    // request being handled always runs to its end.
    sigset_t signals;
    sigemptyset(&signals);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&signals, sig);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    CatalogueRules rules;
    PartitionStorage storage(options.dataDirectory);
    if (!storage.prepare(error)) return fail(error);
    const std::string pageName = environment("DORER_PAGE", "/sysetpage");
    const std::string lockName = environment("DORER_PAGELOCK", "/sysetpage-lock");
    hu::pagewriter::PageWriter page(pageName, lockName);

    const pthread_t mainThread = pthread_self();
    ServiceBinding binding(options, [mainThread] { pthread_kill(mainThread, SIGUSR1); });
    FailingStorage failingStorage(storage);
    IServerStorage& serverStorage =
        options.faults.storageIoFailure ? static_cast<IServerStorage&>(failingStorage) : storage;
    SettingsServer server(rules, serverStorage, page, binding);
    if (!server.start(options.initialState, error)) return fail("cannot write the page " + pageName + ": " + error);
    if (!binding.start(server)) return fail("cannot serve the service endpoints");
    std::fprintf(stderr, "sysetsrvora: serving \"DorerSrv\" and \"DorerPageProxy\"; page %s, data %s, state %s\n",
                 pageName.c_str(), options.dataDirectory.c_str(), server.operatingState().c_str());

    for (;;) {
        int sig = 0;
        if (sigwait(&signals, &sig) != 0) continue;
        if (sig != SIGUSR1) break;
        std::fprintf(stderr, "sysetsrvora: dropping the client connections (--drop-after)\n");
        if (!binding.dropConnections()) return fail("cannot serve \"DorerSrv\" again");
    }
    binding.stop();
    std::fprintf(stderr, "sysetsrvora: stopped\n");
    return 0;
}
