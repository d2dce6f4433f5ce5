#include "options.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

TerminalOptions g_options;

namespace {

const char kUsage[] =
    "FlashTerm -p <font path> [-R] [-l <logo image>] [-t <logo time>] [-B <background color>] [-F <foreground "
    "color>] [-S <status line color>] [-P <progrss bar name color>] [-f <font size>]\n";

int usage_error() {
    fputs(kUsage, stderr);
    return 1;
}

// Glyphs of a size beyond this would need an atlas above 4096 x 4096 texels (16 cells of
// size x 120 / 72 pixels), more than a display of this kind can take or show.
constexpr long kMaxFontSize = 150;

// A whole number of points in 1..kMaxFontSize; false for anything else.
bool parse_font_size(const char* text, int* size) {
    char* end = nullptr;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 1 || value > kMaxFontSize) return false;
    *size = static_cast<int>(value);
    return true;
}

// A colour argument that does not parse keeps the default.
void parse_colour(const char* text, uint32_t* colour) {
    unsigned value = 0;
    if (sscanf(text, "%x", &value) == 1) *colour = value & 0xFFFFFFu;
}

}  // namespace

int parse_options(int argc, char* const* argv) {
    int option;
    opterr = 0;
    while ((option = getopt(argc, argv, ":hl:t:B:F:S:P:f:p:R")) != -1) {
        switch (option) {
            case 'h': fputs(kUsage, stderr); return 0;
            case 'l': g_options.logo_path = optarg; break;
            case 't': g_options.logo_time = atoi(optarg); break;
            case 'B': parse_colour(optarg, &g_options.background); break;
            case 'F': parse_colour(optarg, &g_options.foreground); break;
            case 'S': parse_colour(optarg, &g_options.status_line); break;
            case 'P': parse_colour(optarg, &g_options.bar_name); break;
            case 'f':
                if (!parse_font_size(optarg, &g_options.font_size)) {
                    fprintf(stderr, "Error! Invalid font size: %s\n", optarg);
                    return usage_error();
                }
                break;
            case 'p': g_options.font_path = optarg; break;
            case 'R': g_options.half_width = true; break;
            case ':':
                fprintf(stderr, "Error! Option argument missing: -%c\n", optopt);
                return usage_error();
            default:
                fprintf(stderr, "Error! Unexpected option: -%c\n", optopt);
                return usage_error();
        }
    }
    if (optind < argc) {
        fprintf(stderr, "Error! Unexpected operand: %s\n", argv[optind]);
        return usage_error();
    }
    if (g_options.font_path == nullptr) {
        fputs("-p <font path> is mandatory option\n", stderr);
        return usage_error();
    }
    return -1;
}
