#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "comm/comm_error.h"
#include "comm/trigger.h"
#include "hu/journal.h"

namespace communication {

void reportError(const char* fmt, ...) {
    char text[1024];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    fprintf(stderr, "%s\n", text);
    hu::journal::append("/var/log/comm.journal", std::string("COMM_ERROR ") + text);
}

Trigger::Trigger() { sem_init(&m_semaphore, 0, 1); }

Trigger::~Trigger() { sem_destroy(&m_semaphore); }

void Trigger::wait() {
    int result;
    do {
        result = sem_wait(&m_semaphore);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        int error = errno;
        COMM_ERROR("[communication::Trigger::wait] pid=%llu, tid=%llu, ERROR: %d: %s can't wait, pid = %d",
                   static_cast<unsigned long long>(getpid()), static_cast<unsigned long long>(gettid()), error,
                   strerror(error), static_cast<int>(getpid()));
    }
}

void Trigger::trigger() {
    if (sem_post(&m_semaphore) != 0) {
        int error = errno;
        COMM_ERROR("[communication::Trigger::trigger] ERROR: %d: %s can't trigger, pid = %d", error, strerror(error),
                   static_cast<int>(getpid()));
    }
}

}  // namespace communication
