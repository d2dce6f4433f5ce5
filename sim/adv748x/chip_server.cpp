// The ADV748x chip stand-in: serves the twelve register-map devices of the I2C service
// ("/dev/i2c/i2c_0/*_map") and the control device, all from one dispatch loop.
// Options: -a <map> leaves that map's device absent (repeatable).
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "chip_behaviour.h"
#include "chip_commands.h"
#include "chip_control.h"
#include "chip_model.h"
#include "hu/interrupt_line.h"
#include "hu/path.h"
#include "hu/resmgr.h"
#include "mhl_peer.h"

using namespace adv748x_sim;

namespace {

// The I2C service's combined send-then-receive message.
constexpr int kSendRecv = static_cast<int>(0xc00c0504u);
struct SendRecvHeader {
    uint32_t send_len;
    uint32_t recv_len;
    uint32_t stop;
};
constexpr size_t kRegisterOffset = sizeof(SendRecvHeader);
constexpr size_t kMaxTransfer = 1 + 515;

constexpr int kControl = kMapCount;  // the control device's index beside the maps

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

struct Server {
    int journal_fd = -1;
    int mhl_fd = -1;
    std::unique_ptr<ChipModel> chip;
    std::unique_ptr<MhlPeer> peer;
    std::unique_ptr<ChipWorld> world;
    iofunc_attr_t attrs[kMapCount + 1];
    std::string answer;
};
Server g_server;

void appendLine(int fd, const std::string& line) {
    std::string text = line + "\n";
    ssize_t written;
    do {
        written = write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
}

int openLog(const char* target) {
    return open(hu::resolveForCreate(target).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
}

int deviceOf(const iofunc_ocb_t* ocb) { return static_cast<int>(ocb->attr - g_server.attrs); }

int ioWrite(resmgr_context_t* ctp, io_write_t* msg, iofunc_ocb_t* ocb) {
    size_t n = msg->i.nbytes;
    if (n == 0 || n > kMaxTransfer) return EINVAL;
    std::vector<uint8_t> bytes(n);
    if (resmgr_msgread(ctp, bytes.data(), n, sizeof msg->i) != static_cast<ssize_t>(n)) return EBADMSG;
    int device = deviceOf(ocb);
    if (device == kControl) {
        g_server.answer = runCommand(*g_server.world, std::string(bytes.begin(), bytes.end()));
    } else {
        int result = g_server.chip->busWrite(device, bytes.data(), n);
        if (result != 0) return result;
    }
    _IO_SET_WRITE_NBYTES(ctp, n);
    return EOK;
}

int ioRead(resmgr_context_t* ctp, io_read_t* msg, iofunc_ocb_t* ocb) {
    if (deviceOf(ocb) != kControl) return ENOSYS;
    size_t n = std::min(g_server.answer.size(), static_cast<size_t>(std::max(msg->i.nbytes, 0)));
    _IO_SET_READ_NBYTES(ctp, n);
    return _RESMGR_PTR(ctp, g_server.answer.data(), n);
}

int ioDevctl(resmgr_context_t* ctp, io_devctl_t* msg, iofunc_ocb_t* ocb) {
    int device = deviceOf(ocb);
    if (device == kControl || msg->i.dcmd != kSendRecv) return ENOSYS;
    size_t nbytes = static_cast<size_t>(msg->i.nbytes);
    auto* data = static_cast<uint8_t*>(_DEVCTL_DATA(msg->i));
    SendRecvHeader header;
    if (nbytes < kRegisterOffset + 1) return EINVAL;
    std::memcpy(&header, data, sizeof header);
    if (header.send_len != 1 || header.recv_len == 0 || header.recv_len > nbytes - kRegisterOffset) return EINVAL;
    int result = g_server.chip->busRead(device, data[kRegisterOffset], data + kRegisterOffset, header.recv_len);
    if (result != 0) return result;
    std::memset(&msg->o, 0, sizeof msg->o);
    msg->o.nbytes = static_cast<int32_t>(nbytes);
    return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o + nbytes);
}

int usage() {
    std::fprintf(stderr, "usage: adv748x_chip [-a <map>]...\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::set<int> absent;
    int opt;
    while ((opt = getopt(argc, argv, "a:")) != -1) {
        int map = opt == 'a' ? mapByName(optarg) : -1;
        if (map < 0) return usage();
        absent.insert(map);
    }

    Server& s = g_server;
    s.journal_fd = openLog(kJournalFile);
    s.mhl_fd = openLog(kMhlLogFile);
    if (s.journal_fd < 0 || s.mhl_fd < 0) {
        std::fprintf(stderr, "adv748x_chip: cannot open the logs: %s\n", std::strerror(errno));
        return 1;
    }
    s.chip = std::make_unique<ChipModel>([](const std::string& line) { appendLine(g_server.journal_fd, line); },
                                         [](int intr, bool on) { on ? hu::irq::assertLine(intr) : hu::irq::deassertLine(intr); });
    s.peer = std::make_unique<MhlPeer>(*s.chip, [](const std::string& line) { appendLine(g_server.mhl_fd, line); });
    installChipBehaviour(*s.chip, [] { g_server.peer->reset(); });
    s.world.reset(new ChipWorld{*s.chip, *s.peer, [] {
                                    if (ftruncate(g_server.journal_fd, 0) != 0) std::perror("adv748x_chip: journal");
                                }});

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    dispatch_t* dpp = dispatch_create();
    if (dpp == nullptr) {
        std::perror("adv748x_chip: dispatch_create");
        return 1;
    }
    resmgr_connect_funcs_t connect_funcs;
    resmgr_io_funcs_t io_funcs;
    iofunc_func_init(_RESMGR_CONNECT_NFUNCS, &connect_funcs, _RESMGR_IO_NFUNCS, &io_funcs);
    io_funcs.write = ioWrite;
    io_funcs.read = ioRead;
    io_funcs.devctl = ioDevctl;
    resmgr_attr_t attr{};

    // The control device last: once it answers, every map is there.
    for (int device = 0; device <= kControl; ++device) {
        if (device < kControl && absent.count(device)) continue;
        iofunc_attr_init(&s.attrs[device], S_IFNAM | 0666, nullptr, nullptr);
        const char* path = device == kControl ? kControlDevice : mapDevice(device);
        if (resmgr_attach(dpp, &attr, path, _FTYPE_ANY, 0, &connect_funcs, &io_funcs, &s.attrs[device]) < 0) {
            std::fprintf(stderr, "adv748x_chip: cannot attach %s: %s\n", path, std::strerror(errno));
            return 1;
        }
    }

    dispatch_context_t* ctp = dispatch_context_alloc(dpp);
    while (!g_stop) {
        if (dispatch_block(ctp) == nullptr) {
            if (errno == EINTR) continue;
            std::perror("adv748x_chip: dispatch_block");
            break;
        }
        dispatch_handler(ctp);
    }
    dispatch_context_free(ctp);
    dispatch_destroy(dpp);
    for (const InterruptLine& line : interruptLines()) hu::irq::deassertLine(line.intr);
    return 0;
}
