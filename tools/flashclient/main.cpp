// FlashClient: sends status, clock, text and a progress bar to the flashing terminal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "flashterm/term_msg.h"
#include "hu/devctl.h"

namespace {

struct ClientOptions {
    const char* text = nullptr;
    const char* status = nullptr;
    int clock = -1;  // -1: not sent; 1 runs, 0 stops
    const char* ref = nullptr;
    const char* name = nullptr;
    int progress = 0;
    int interval = 1;
};

int usage_error() {
    fprintf(stderr, "\nUsage:\n");
    fprintf(stderr, "%s [-w <text>] [-s <status>] [-S | -P] [-r <reference name> [-n <display name>] [-p <progress>] [-i "
                    "<interval>]]\n",
            "FlashClient");
    return 1;
}

// -1 to go on, else the exit status.
int parse_options(int argc, char** argv, ClientOptions* options) {
    int option;
    opterr = 0;
    while ((option = getopt(argc, argv, ":w:s:SPr:n:p:i:")) != -1) {
        switch (option) {
            case 'w': options->text = optarg; break;
            case 's': options->status = optarg; break;
            case 'S': options->clock = 1; break;
            case 'P': options->clock = 0; break;
            case 'r': options->ref = optarg; break;
            case 'n': options->name = optarg; break;
            case 'p': options->progress = atoi(optarg); break;
            case 'i': options->interval = atoi(optarg); break;
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
    return -1;
}

// A refused command stops the program.
bool send(int fd, int dcmd, void* data, size_t size) {
    int status = devctl(fd, dcmd, data, size, nullptr);
    if (status != EOK) {
        fprintf(stderr, "Error! %s\n", strerror(status));
        return false;
    }
    return true;
}

// The control messages must fit the terminal's receive buffer; say so before sending.
bool fits(size_t size) {
    if (size <= TERM_MAX_PAYLOAD) return true;
    fprintf(stderr, "Error! %s\n", strerror(EMSGSIZE));
    return false;
}

bool send_bar(int fd, const ClientOptions& options) {
    const char* name = options.name != nullptr ? options.name : options.ref;
    size_t ref_size = strlen(options.ref) + 1;
    size_t name_size = strlen(name) + 1;
    size_t size = sizeof(term_bar_msg_t) + ref_size + name_size;
    if (!fits(size)) return false;
    std::vector<char> buffer(size);
    term_bar_msg_t head{0, static_cast<int32_t>(ref_size), options.progress};
    memcpy(buffer.data(), &head, sizeof head);
    memcpy(buffer.data() + sizeof head, options.ref, ref_size);
    memcpy(buffer.data() + sizeof head + ref_size, name, name_size);
    if (!send(fd, DCMD_TERM_ADD_BAR, buffer.data(), size)) return false;
    if (options.interval < 1) return true;
    for (int32_t value = options.progress + 1; value <= 100; ++value) {
        sleep(static_cast<unsigned>(options.interval));
        memcpy(buffer.data() + offsetof(term_bar_msg_t, progress), &value, sizeof value);
        if (!send(fd, DCMD_TERM_SET_PROGRESS, buffer.data(), size)) return false;
    }
    return true;
}

// The terminal's path opened read-write, or -1 with errno. A plain file left under the
// terminal's name (the terminal not up, someone wrote there) is not the terminal: text
// written into it would be lost without a word.
int open_terminal() {
    int fd = hu_open("/dev/FlashTerm", O_RDWR);
    if (fd == -1) return -1;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        hu_close(fd);
        errno = ENODEV;
        return -1;
    }
    return fd;
}

int run(const ClientOptions& options) {
    int fd = open_terminal();
    if (fd == -1) {
        fprintf(stderr, "Error! %s\n", strerror(errno));
        return 1;
    }
    if (options.status != nullptr) {
        size_t size = strlen(options.status) + 1;
        if (!fits(size) || !send(fd, DCMD_TERM_SET_STATUS, const_cast<char*>(options.status), size)) return 1;
    }
    if (options.clock != -1) {
        int32_t running = options.clock;
        if (!send(fd, DCMD_TERM_SET_CLOCK, &running, sizeof running)) return 1;
    }
    if (options.text != nullptr) {
        size_t size = strlen(options.text) + 1;
        ssize_t written = hu_write(fd, options.text, size);
        if (written < static_cast<ssize_t>(size)) {
            fprintf(stderr, "Error! %s\n", strerror(written < 0 ? errno : EIO));
            return 1;
        }
    }
    if (options.ref != nullptr && !send_bar(fd, options)) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ClientOptions options;
    int status = parse_options(argc, argv, &options);
    if (status != -1) return status;
    return run(options);
}
