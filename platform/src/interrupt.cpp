// Interrupts by number. An attached interrupt is a datagram socket at "/dev/irq/<n>"; its
// line level lives in "/dev/irq/<n>.level" so a waiter that attaches or unmasks while the
// line is asserted is woken, as with level-triggered hardware.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hu/interrupt_line.h"
#include "hu/neutrino.h"
#include "hu/path.h"
#include "hu/unix_socket.h"
#include "timeout.h"

namespace {

struct Attachment {
    int intr;
    int fd;
    unsigned flags;
    pthread_t owner;
    bool masked = false;
    bool pending = false;
};

std::mutex g_mutex;
std::map<int, Attachment> g_attachments;  // by attach id
int g_next_id = 1;

std::string socketPath(int intr) { return hu::resolveForCreate("/dev/irq/" + std::to_string(intr)); }
std::string levelPath(int intr) { return hu::resolveForCreate("/dev/irq/" + std::to_string(intr) + ".level"); }


void setLevel(int intr, char level) {
    int fd = open(levelPath(intr).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return;
    ssize_t written = pwrite(fd, &level, 1, 0);
    (void)written;
    close(fd);
}

void sendEdge(int intr) {
    sockaddr_un addr;
    if (!hu::unix_socket::address(socketPath(intr), &addr)) return;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    char edge = 1;
    // Nobody attached (or the queue is full of earlier edges): the level still tells.
    sendto(fd, &edge, 1, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    close(fd);
}

void drain(int fd) {
    char buffer[64];
    while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
}

}  // namespace

namespace hu::irq {

void assertLine(int intr) {
    setLevel(intr, 1);
    sendEdge(intr);
}

void deassertLine(int intr) { setLevel(intr, 0); }

bool isAsserted(int intr) {
    int fd = open(levelPath(intr).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char level = 0;
    bool asserted = pread(fd, &level, 1, 0) == 1 && level != 0;
    close(fd);
    return asserted;
}

void pulse(int intr) { sendEdge(intr); }

}  // namespace hu::irq

int InterruptAttachEvent(int intr, const struct sigevent* event, unsigned flags) {
    if (event == nullptr || event->sigev_notify != SIGEV_INTR) {
        errno = EINVAL;
        return -1;
    }
    int fd = hu::unix_socket::bindAt(socketPath(intr), SOCK_DGRAM);
    if (fd < 0) return -1;
    std::lock_guard<std::mutex> lock(g_mutex);
    int id = g_next_id++;
    Attachment a{intr, fd, flags, pthread_self()};
    a.pending = hu::irq::isAsserted(intr);
    g_attachments[id] = a;
    return id;
}

int InterruptDetach(int id) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_attachments.find(id);
    if (it == g_attachments.end()) {
        errno = EINVAL;
        return -1;
    }
    unlink(socketPath(it->second.intr).c_str());
    close(it->second.fd);
    g_attachments.erase(it);
    return 0;
}

int InterruptUnmask(int intr, int id) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_attachments.find(id);
    if (it == g_attachments.end() || it->second.intr != intr) {
        errno = EINVAL;
        return -1;
    }
    it->second.masked = false;
    if (hu::irq::isAsserted(intr)) it->second.pending = true;
    return 0;
}

int InterruptMask(int intr, int id) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_attachments.find(id);
    if (it == g_attachments.end() || it->second.intr != intr) {
        errno = EINVAL;
        return -1;
    }
    it->second.masked = true;
    return 0;
}

int InterruptWait(int /*flags*/, const uint64_t* /*timeout*/) {
    hu::timeout::Pending timeout = hu::timeout::take(_NTO_TIMEOUT_INTR);
    int timeout_ms = timeout.set ? static_cast<int>((timeout.nanoseconds + 999999) / 1000000) : -1;
    pthread_t self = pthread_self();
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<int> ids;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            for (auto& [id, a] : g_attachments) {
                if (!pthread_equal(a.owner, self) || a.masked) continue;
                if (a.pending) {
                    a.pending = false;
                    if (a.flags & _NTO_INTR_FLAGS_TRK_MSK) a.masked = true;
                    drain(a.fd);
                    return 0;
                }
                fds.push_back({a.fd, POLLIN, 0});
                ids.push_back(id);
            }
        }
        if (fds.empty() && timeout_ms < 0) {
            errno = EINVAL;  // nothing attached to this thread could ever wake it
            return -1;
        }
        // Not holding the lock here: the wait is a cancellation point.
        int ready = poll(fds.data(), fds.size(), timeout_ms);
        if (ready < 0) return -1;
        if (ready == 0) {
            errno = ETIMEDOUT;
            return -1;
        }
        std::lock_guard<std::mutex> lock(g_mutex);
        for (size_t i = 0; i < fds.size(); ++i) {
            auto it = g_attachments.find(ids[i]);
            if (it != g_attachments.end() && (fds[i].revents & POLLIN)) {
                drain(it->second.fd);
                it->second.pending = true;
            }
        }
    }
}
