// A file opened by path. Flags take the target's values (so 0x302 is read and write, create,
// truncate) and are translated to the host's. A closed handle holds -1.
#pragma once

#include <cstddef>

#include "qf/CQFPath.h"

class CQFFileHandle {
public:
    static const int eReadOnly = 0x0000;
    static const int eWriteOnly = 0x0001;
    static const int eReadWrite = 0x0002;
    static const int eAppend = 0x0008;
    static const int eCreate = 0x0100;
    static const int eTruncate = 0x0200;
    static const int eExclusive = 0x0400;

    CQFFileHandle() = default;
    ~CQFFileHandle() { close(); }
    CQFFileHandle(const CQFFileHandle&) = delete;
    CQFFileHandle& operator=(const CQFFileHandle&) = delete;

    // Opens (new files get mode 0666 less the umask); a handle already open is closed first.
    bool open(const CQFPath& path, int flags);
    // Writes count bytes at the current position, repeating after interruptions and short
    // writes; the bytes written, or -1. timeoutMs: -1 waits as long as it takes (the only
    // value used on files).
    long write(const void* data, size_t count, int timeoutMs = -1);
    // True when a file was open and closed cleanly.
    bool close();
    bool isOpen() const { return mFd != -1; }
    int getDescriptor() const { return mFd; }

private:
    int mFd = -1;
};
