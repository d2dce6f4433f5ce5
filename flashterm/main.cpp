// FlashTerm: the full-screen flashing status terminal behind "/dev/FlashTerm".
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "control.h"
#include "displayable.h"
#include "glyphs.h"
#include "hu/kd.h"
#include "hu/neutrino.h"
#include "hu/resmgr.h"
#include "logo.h"
#include "options.h"
#include "render_context.h"
#include "screen_content.h"
#include "tick.h"

namespace {

constexpr uint64_t kTickNanoseconds = 1000000000ull;

resmgr_connect_funcs_t g_connect_funcs;
resmgr_io_funcs_t g_io_funcs;
iofunc_attr_t g_attr;

// A logo that cannot be shown ends the terminal before its path exists.
constexpr int kLogoFailed = -1;

// Start-up of the display: window, programs, logo or first frame, glyphs. Returns 0 to go
// on, else the exit status.
int start_display(const char* program) {
    CDisplayable* display = CDisplayable::instance();
    if (!display->init()) {
        fprintf(stderr, "%s: Failed to initialize displayable!", program);
        return 1;
    }
    unsigned width = static_cast<unsigned>(display->width());
    if (g_options.half_width) width /= 2;
    create_render_context(width, static_cast<unsigned>(display->height()));
    build_programs();
    if (g_options.logo_path != nullptr) {
        if (!load_logo(g_options.logo_path)) return kLogoFailed;
        draw_logo();
    }
    load_font(g_options.font_path);
    build_glyphs(g_options.font_size);
    release_font();
    if (g_options.logo_path == nullptr) {
        redraw(colour_of(g_options.background), colour_of(g_options.foreground), colour_of(g_options.status_line),
               colour_of(g_options.bar_name));
    }
    return 0;
}

int serve(const char* program) {
    dispatch_t* dpp = dispatch_create();
    if (dpp == nullptr) {
        fprintf(stderr, "%s: Unable to allocate dispatch handle.\n", program);
        return 1;
    }
    iofunc_func_init(_RESMGR_CONNECT_NFUNCS, &g_connect_funcs, _RESMGR_IO_NFUNCS, &g_io_funcs);
    g_io_funcs.write = io_write;
    g_io_funcs.devctl = io_devctl;
    iofunc_attr_init(&g_attr, S_IFNAM | 0666, nullptr, nullptr);
    resmgr_attr_t resmgr_attr{};
    resmgr_attr.nparts_max = 1;
    resmgr_attr.msg_max_size = 2048;
    if (resmgr_attach(dpp, &resmgr_attr, "/dev/FlashTerm", _FTYPE_ANY, 0, &g_connect_funcs, &g_io_funcs, &g_attr) ==
        -1) {
        fprintf(stderr, "%s: Unable to attach name.\n", program);
        return 1;
    }
    dispatch_context_t* ctp = dispatch_context_alloc(dpp);
    if (ctp == nullptr) {
        fprintf(stderr, "%s: Unable to allocate a context structure.\n", program);
        return 1;
    }
    int code = pulse_attach(dpp, MSG_FLAG_ALLOC_PULSE, 0, on_tick, nullptr);
    if (code == -1) {
        fprintf(stderr, "Unable to attach timer pulse.\n");
        return 1;
    }
    int coid = message_connect(dpp, MSG_FLAG_SIDE_CHANNEL);
    if (coid == -1) {
        fprintf(stderr, "Unable to attach to channel.\n");
        return 1;
    }
    struct sigevent event;
    SIGEV_PULSE_INIT(&event, coid, SIGEV_PULSE_PRIO_INHERIT, code, 0);
    int timer = TimerCreate(CLOCK_REALTIME, &event);
    struct _itimer every_second = {kTickNanoseconds, kTickNanoseconds};
    if (timer == -1 || TimerSettime(timer, 0, &every_second, nullptr) == -1) {
        fprintf(stderr, "Unable to attach channel and connection.\n");
        return 1;
    }

    for (;;) {
        if (dispatch_block(ctp) == nullptr) {
            printf("block error\n");
            fflush(nullptr);
            continue;
        }
        if (dispatch_handler(ctp) != 0) {
            fprintf(stderr, "dispatch error: %s\n", strerror(errno));
            fflush(nullptr);
            return 1;
        }
    }
}

}  // namespace

KDint kdMain(KDint argc, const KDchar* const* argv) {
    // Progress lines show up as they happen, also when standard output is a file.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    int status = parse_options(argc, const_cast<char* const*>(argv));
    if (status != -1) return status;
    status = start_display(argv[0]);
    if (status != 0) return status;
    return serve(argv[0]);
}
