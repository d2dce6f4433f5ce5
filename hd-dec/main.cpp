// hdrx-adv748x: the receiver driver process. Brings the chip up, serves "/dev/hd-dec-mgr"
// and reports chip events to the clients.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "adv748x.h"
#include "hd_dec.h"
#include "hddec_log.h"
#include "omap5_gpio.h"

HdDecProcess* g_hd = nullptr;

namespace {

unsigned parse_verbosity(int argc, char** argv) {
    unsigned verbosity = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-v") == 0 && i + 1 < argc) {
            verbosity = static_cast<unsigned>(atoi(argv[++i]));
        } else if (strncmp(argv[i], "-v", 2) == 0 && argv[i][2] != '\0') {
            verbosity = static_cast<unsigned>(atoi(argv[i] + 2));
        }
    }
    return verbosity;
}

// The interrupt thread goes first: it must not touch the maps while fini closes them.
void shutdown(HdDecProcess* hd) {
    stop_hd_dec_thread(hd);
    if (hd->backend.fini != nullptr) hd->backend.fini(&hd->backend);
    gpio_fini(hd->gpio8);
    hd->gpio8 = 0;
    resmgr_fini(hd);
}

// SIGTERM and SIGINT end dispatch_block, which shuts the driver down cleanly. They stay
// blocked everywhere but inside the dispatch thread's wait, so no other thread takes them
// and one that arrives while a message is handled ends the next wait.
void on_signal(int) {}

sigset_t termination_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

void install_signal_handlers() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t set = termination_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void accept_termination_signals(dispatch_t* dpp) {
    sigset_t set = termination_signals();
    hu_dispatch_unblock_during_wait(dpp, &set);
}

int run(HdDecProcess* hd, unsigned verbosity) {
    ThreadCtl(_NTO_TCTL_IO, nullptr);

    int err = resmgr_init(hd);
    if (err != 0) {
        hddec_log("%s:resmgr_init failed:%s", "main", strerror(err));
        return 1;
    }

    adv748x_backend_setup(&hd->backend);
    err = hd->backend.init(&hd->backend, verbosity);
    if (err != 0) {
        hddec_log("init() failed:%s", strerror(err));
        return 1;
    }

    err = gpio_init(&hd->gpio8);
    if (err != 0) {
        hddec_log("%s:gpio_init failed:%s", "main", strerror(err));
        return 1;
    }
    for (int intrq = 1; intrq <= 2; ++intrq) {
        err = gpio_init_intrq(hd->gpio8, intrq);
        if (err != 0) {
            hddec_log("%s:gpio_init_intrq failed:%s", "main", strerror(err));
            return 1;
        }
    }

    err = create_hd_dec_thread(hd);
    if (err != 0) {
        hddec_log("%s: create_hd_dec_thread failed:%s", "main", strerror(err));
        return 1;
    }

    accept_termination_signals(hd->dpp);
    for (;;) {
        if (dispatch_block(hd->ctp) == nullptr) {
            hddec_log("%s: dispatch_block failed: %s", "main", strerror(errno));
            return 0;
        }
        dispatch_handler(hd->ctp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    g_hd = new (std::nothrow) HdDecProcess{};
    if (g_hd == nullptr) {
        hddec_log("%s:calloc failed:%s", "main", strerror(ENOMEM));
        return 1;
    }
    unsigned verbosity = parse_verbosity(argc, argv);
    install_signal_handlers();
    int status = run(g_hd, verbosity);
    shutdown(g_hd);
    delete g_hd;
    g_hd = nullptr;
    return status;
}
