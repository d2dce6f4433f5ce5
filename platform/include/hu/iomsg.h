// The I/O messages a client sends to a resource manager, with the target's header sizes.
#pragma once

#include <cstdint>

#ifndef EOK
#define EOK 0
#endif

enum : uint16_t {
    _IO_CONNECT = 0x100,
    _IO_READ = 0x101,
    _IO_WRITE = 0x102,
    _IO_CLOSE = 0x103,
    _IO_NOTIFY = 0x104,
    _IO_DEVCTL = 0x105,
};

#define _IO_XTYPE_NONE 0x00u
#define _IO_XTYPE_MASK 0xffu

// Open flags as the resource manager sees them: access mode + 1.
#define _IO_FLAG_RD 0x01
#define _IO_FLAG_WR 0x02

struct _io_connect {
    uint16_t type;
    uint16_t subtype;
    int32_t ioflag;  // open flags with the access mode + 1
    uint32_t mode;
    int32_t zero;
};
static_assert(sizeof(_io_connect) == 16);

struct _io_write {
    uint16_t type;
    uint16_t combine_len;
    uint32_t nbytes;
    uint32_t xtype;
    uint32_t zero;
};
static_assert(sizeof(_io_write) == 16);

struct _io_read {
    uint16_t type;
    uint16_t combine_len;
    int32_t nbytes;
    uint32_t xtype;
    uint32_t zero;
};
static_assert(sizeof(_io_read) == 16);

struct _io_devctl {
    uint16_t type;
    uint16_t combine_len;
    int32_t dcmd;
    int32_t nbytes;
    int32_t zero;
};
static_assert(sizeof(_io_devctl) == 16);

struct _io_devctl_reply {
    uint32_t zero;
    int32_t ret_val;
    int32_t nbytes;
    int32_t zero2;
};
static_assert(sizeof(_io_devctl_reply) == 16);

struct _io_notify {
    uint16_t type;
    uint16_t combine_len;
    int32_t action;
    int32_t flags;
    int32_t zero;
};

struct _io_notify_reply {
    uint32_t zero;
    uint32_t flags;
};

struct io_open_t {
    _io_connect connect;
};
union io_write_t {
    _io_write i;
};
union io_read_t {
    _io_read i;
};
union io_devctl_t {
    _io_devctl i;
    _io_devctl_reply o;
};
union io_notify_t {
    _io_notify i;
    _io_notify_reply o;
};

// Payload of a devctl message or reply, right after its 16-byte header.
#define _DEVCTL_DATA(msg) (reinterpret_cast<void*>(&(msg) + 1))

// Notification conditions and actions.
#define _NOTIFY_COND_OUTPUT 0x40000000
#define _NOTIFY_COND_INPUT 0x20000000
#define _NOTIFY_COND_OBAND 0x10000000
#define _NOTIFY_COND_MASK 0x70000000
#define _NOTIFY_ACTION_POLL 0x0
#define _NOTIFY_ACTION_POLLARM 0x1
#define _NOTIFY_ACTION_TRANARM 0x2

// The reply frame every message of the host transport starts with (server to client).
namespace hu::wire {
enum class Kind : int32_t { Reply = 0, Error = 1, Notify = 2 };
struct ReplyHeader {
    Kind kind;
    int32_t status;  // Reply: the send's return value; Error: errno; Notify: conditions met
};
}  // namespace hu::wire
