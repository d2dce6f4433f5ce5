// Client side of a resource manager: the one API every client program and test uses to
// open a target path, write, read, send device-control commands and wait for notifications.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "hu/iomsg.h"

// Device-control command encoding: direction bits 31-30, payload size 29-16,
// class 15-8, command 7-0.
#define DEVDIR_NONE 0u
#define DEVDIR_TO 0x80000000u
#define DEVDIR_FROM 0x40000000u
#define DEVDIR_TOFROM (DEVDIR_TO | DEVDIR_FROM)
#define __DIOT(cls, cmd, size) (int)(DEVDIR_TO | ((sizeof(size) & 0x3fffu) << 16) | ((cls) << 8) | (cmd))
#define __DIOF(cls, cmd, size) (int)(DEVDIR_FROM | ((sizeof(size) & 0x3fffu) << 16) | ((cls) << 8) | (cmd))
#define __DIOTF(cls, cmd, size) (int)(DEVDIR_TOFROM | ((sizeof(size) & 0x3fffu) << 16) | ((cls) << 8) | (cmd))
#define __DION(cls, cmd) (int)(((cls) << 8) | (cmd))
#define get_device_direction(dcmd) ((unsigned)(dcmd) & DEVDIR_TOFROM)
#define get_device_command(dcmd) ((unsigned)(dcmd) & 0xffffu)

#define _DCMD_ALL 0x01
#define _DCMD_FSYS 0x02
#define _DCMD_BLK _DCMD_FSYS
#define _DCMD_CHR 0x03
#define _DCMD_NET 0x04
#define _DCMD_MISC 0x05
#define _DCMD_IP 0x06

#define DCMD_ALL_GETFLAGS __DIOF(_DCMD_ALL, 1, int)
#define DCMD_ALL_SETFLAGS __DIOT(_DCMD_ALL, 2, int)

// Opens target_path (resolved under HU_ROOT). A resource-manager path is connected to its
// server; any other file is opened as it is. -1 with errno on failure (ENOENT: no server).
int hu_open(const char* target_path, int oflag);
int hu_close(int fd);

// Like write(2)/read(2); on a resource-manager descriptor one call is one message.
// A message the server cannot receive whole is refused with EMSGSIZE.
ssize_t hu_write(int fd, const void* buf, size_t nbytes);
ssize_t hu_read(int fd, void* buf, size_t nbytes);

// Sends dcmd with nbytes of data (when the direction is "to") and takes back up to nbytes of
// reply data (when it is "from"). Returns EOK or an errno value; dev_info_ptr receives the
// server's information value.
int devctl(int fd, int dcmd, void* data, size_t nbytes, int* dev_info_ptr);

// Arms (or polls) notification for the conditions in flags (_NOTIFY_COND_*). Returns the
// conditions already met (then nothing is armed), or -1 with errno. When armed conditions
// are met later the descriptor becomes readable: poll it, then take them with hu_notify_take.
struct sigevent;
int ionotify(int fd, int action, int flags, const struct sigevent* event);

// Waits up to timeout_ms (-1: forever) for a notification on fd; returns the conditions
// delivered (0 on time-out), or -1 with errno (EPIPE: the server went away).
int hu_notify_take(int fd, int timeout_ms);
