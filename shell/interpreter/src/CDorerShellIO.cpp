#include "CDorerShellIO.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "NDorerShellResources.h"
#include "qf/QFOperatingSystem.h"

namespace {

constexpr uint32_t kPollMs = 200;
constexpr size_t kLineStep = 100;

// Lets the terminal deliver what was typed: a short switch to non-canonical mode without
// echo, a look at the waiting characters (FIONREAD: the host's tcischars), and back to
// canonical mode with echo. False when a call failed.
bool refreshTerminal(int fd) {
    struct termios mode;
    if (tcgetattr(fd, &mode) == -1) return false;
    mode.c_iflag &= ~static_cast<tcflag_t>(IXON | BRKINT | PARMRK);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHOE | ECHOK | ECHONL);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &mode) == -1) return false;
    int waiting = 0;
    const bool queried = ioctl(fd, FIONREAD, &waiting) != -1;
    mode.c_oflag |= OPOST;
    mode.c_lflag |= ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL;
    const bool restored = tcsetattr(fd, TCSANOW, &mode) != -1;
    return queried && restored;
}

}  // namespace

bool readDorerShellLine(FILE* in, CQFString& line) {
    std::vector<char> buffer(kLineStep, '\0');
    size_t length = 0;
    bool readAny = false;
    for (;;) {
        if (buffer.size() - length < kLineStep) buffer.resize(buffer.size() + kLineStep, '\0');
        if (!std::fgets(buffer.data() + length, static_cast<int>(buffer.size() - length), in)) break;
        readAny = true;
        length += std::strlen(buffer.data() + length);
        if (length > 0 && buffer[length - 1] == '\n') {
            --length;
            break;
        }
    }
    // At the end of input (or after an interruption) the next read starts afresh.
    if (std::feof(in) || std::ferror(in)) std::clearerr(in);
    line = CQFString(buffer.data(), length);
    return readAny;
}

bool CDorerShellReadJob::work() {
    if (isatty(STDIN_FILENO) && !refreshTerminal(STDIN_FILENO)) {
        QFOperatingSystem::sleepMs(kPollMs);
        return false;
    }
    CQFString line;
    readDorerShellLine(stdin, line);
    SDorerShellParseResult result;
    if (!line.isEmpty() && parseCommandLine(line, result)) {
        (new CDorerShellReadEvent(result))->send();
        return true;
    }
    QFOperatingSystem::sleepMs(kPollMs);
    return false;
}

bool CDorerShellWriteJob::work() {
    CQFString output;
    if (mOk) {
        output = mResult.mData;
    } else {
        CQFString errorLine("#ERROR:%error% %data%\n");
        errorLine.replaceAll("%error%", NDorerShellResources::toString(static_cast<EShellErrorCode>(mResult.mError)));
        errorLine.replaceAll("%data%", mResult.mData);
        std::printf("%s", errorLine.getCString());
    }
    bool success = true;
    if (mOutFile.isOpen() && !output.isEmpty()) {
        success = mOutFile.write(output.getCString(), output.getByteLength(), -1) ==
                  static_cast<long>(output.getByteLength());
    } else {
        std::printf("%s", output.getCString());
    }
    (new CDorerShellWriteEvent(success))->send();
    return true;
}
