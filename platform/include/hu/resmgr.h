// Server side of a resource manager: the dispatch, resmgr and iofunc calls of the target.
// Underneath, a path is a message-preserving Unix-domain socket at its resolved host path,
// one connection per open; pulses arrive on the dispatch's own channel.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <time.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "hu/iomsg.h"
#include "hu/neutrino.h"

typedef struct iovec iov_t;
#define SETIOV(iov, addr, len) ((iov)->iov_base = (void*)(addr), (iov)->iov_len = (len))

struct dispatch_t;
struct iofunc_attr_t;
struct iofunc_ocb_t;

struct _msg_info {
    int msglen;     // bytes in the receive buffer
    int srclen;     // bytes the client sent
    int dstmsglen;  // bytes the client can take back
    pid_t pid;
};

// The receive buffer: at most msg_max_size bytes of the message, its header first.
union resmgr_iomsgs_t {
    uint16_t type;
    io_open_t open;
    io_write_t write;
    io_read_t read;
    io_devctl_t devctl;
    io_notify_t notify;
    char bytes[16];
};

#define HU_RESMGR_IOV_MAX 8

struct resmgr_context_t {
    int rcvid;  // identifies the waiting client for MsgReply; pulses: 0
    _msg_info info;
    resmgr_iomsgs_t* msg;
    dispatch_t* dpp;
    int id;      // attach id of the path the message came through
    int status;  // return value of the client's call on a successful reply
    int offset;
    int size;
    iov_t iov[HU_RESMGR_IOV_MAX];
    void* internal;  // the dispatch layer's own state
};
typedef resmgr_context_t dispatch_context_t;
typedef resmgr_context_t message_context_t;

typedef iofunc_attr_t RESMGR_HANDLE_T;
typedef iofunc_ocb_t RESMGR_OCB_T;

// Handler results: a positive errno value or EOK, or one of these.
#define _RESMGR_NPARTS(n) (-(n))
#define _RESMGR_DEFAULT (INT_MIN + 1)
#define _RESMGR_NOREPLY (INT_MIN + 2)
#define _RESMGR_ERRNO(e) (e)
#define _RESMGR_STATUS(ctp, s) ((ctp)->status = (s))
#define _RESMGR_PTR(ctp, addr, len) (SETIOV((ctp)->iov, (addr), (len)), _RESMGR_NPARTS(1))
#define _IO_SET_WRITE_NBYTES(ctp, n) ((ctp)->status = (int)(n))
#define _IO_SET_READ_NBYTES(ctp, n) ((ctp)->status = (int)(n))

struct resmgr_attr_t {
    unsigned flags;
    unsigned nparts_max;
    unsigned msg_max_size;
    int (*other_func)(resmgr_context_t*, void*);
    unsigned reserved[4];
};

enum _file_type { _FTYPE_ANY = 0, _FTYPE_FILE = 1 };
#define S_IFNAM 0050000

struct resmgr_connect_funcs_t {
    unsigned nfuncs;
    int (*open)(resmgr_context_t* ctp, io_open_t* msg, RESMGR_HANDLE_T* handle, void* extra);
};
struct resmgr_io_funcs_t {
    unsigned nfuncs;
    int (*read)(resmgr_context_t* ctp, io_read_t* msg, RESMGR_OCB_T* ocb);
    int (*write)(resmgr_context_t* ctp, io_write_t* msg, RESMGR_OCB_T* ocb);
    int (*close_ocb)(resmgr_context_t* ctp, void* reserved, RESMGR_OCB_T* ocb);
    int (*devctl)(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb);
    int (*notify)(resmgr_context_t* ctp, io_notify_t* msg, RESMGR_OCB_T* ocb);
};
#define _RESMGR_CONNECT_NFUNCS 1u
#define _RESMGR_IO_NFUNCS 5u

// Open-control block allocation through the attribute's mount record.
struct iofunc_funcs_t {
    unsigned nfuncs;
    iofunc_ocb_t* (*ocb_calloc)(resmgr_context_t* ctp, iofunc_attr_t* attr);
    void (*ocb_free)(iofunc_ocb_t* ocb);
};
#define _IOFUNC_NFUNCS 2u
struct iofunc_mount_t {
    uint32_t flags;
    iofunc_funcs_t* funcs;
};

#define IOFUNC_ATTR_CTIME 0x0001u
#define IOFUNC_ATTR_MTIME 0x0002u
#define IOFUNC_ATTR_ATIME 0x0004u
#define IOFUNC_ATTR_DIRTY_TIME 0x0008u

struct iofunc_attr_t {
    iofunc_mount_t* mount;
    uint32_t flags;
    uint32_t count;  // opens
    uint32_t rcount;
    uint32_t wcount;
    mode_t mode;
    uid_t uid;
    gid_t gid;
    time_t mtime;
    time_t atime;
    time_t ctime;
    off_t nbytes;
};

struct iofunc_ocb_t {
    iofunc_attr_t* attr;
    int32_t ioflag;
    off_t offset;
};

// One notification list. cnt is the smallest trigger count among its armed clients
// (INT_MAX when none); it may be read from any thread.
struct iofunc_notify_event_t;
struct iofunc_notify_t {
    std::atomic<int> cnt{INT_MAX};
    iofunc_notify_event_t* list = nullptr;
};
#define IOFUNC_NOTIFY_INPUT 0
#define IOFUNC_NOTIFY_OUTPUT 1
#define IOFUNC_NOTIFY_OBAND 2

struct _client_info;

// Dispatch.
dispatch_t* dispatch_create(void);
dispatch_t* _dispatch_create(int chid, unsigned flags);
int dispatch_destroy(dispatch_t* dpp);
dispatch_context_t* dispatch_context_alloc(dispatch_t* dpp);
void dispatch_context_free(dispatch_context_t* ctp);
// Waits for the next message or pulse; null with errno (EINTR on a signal) on failure.
dispatch_context_t* dispatch_block(dispatch_context_t* ctp);
// Handles what dispatch_block received; -1 with errno on failure.
int dispatch_handler(dispatch_context_t* ctp);
// Host addition: the given signals, kept blocked by the caller, are unblocked only while
// dispatch_block waits, so a signal that arrives while a message is handled is not lost:
// it ends the next wait with EINTR.
int hu_dispatch_unblock_during_wait(dispatch_t* dpp, const sigset_t* signals);

// Paths. resmgr_attach: attach id, or -1 with errno (EBUSY: another server holds the path).
int resmgr_attach(dispatch_t* dpp, resmgr_attr_t* attr, const char* path, enum _file_type file_type,
                  unsigned flags, const resmgr_connect_funcs_t* connect_funcs, const resmgr_io_funcs_t* io_funcs,
                  RESMGR_HANDLE_T* handle);
int resmgr_detach(dispatch_t* dpp, int id, unsigned flags);

// Message body past the receive buffer: copies up to nbytes from offset of the whole message.
// Returns the bytes copied, or -1 with errno.
ssize_t resmgr_msgread(resmgr_context_t* ctp, void* msg, size_t nbytes, size_t offset);

// Replies to a client that is waiting (also after _RESMGR_NOREPLY).
int MsgReply(int rcvid, long status, const void* msg, size_t size);
int MsgReplyv(int rcvid, long status, const iov_t* iov, int parts);
int MsgError(int rcvid, int err);

// Pulses: MSG_FLAG_ALLOC_PULSE picks a free code; the handler runs in dispatch_handler.
#define MSG_FLAG_ALLOC_PULSE 0x0100
#define MSG_FLAG_SIDE_CHANNEL 0x0200
#define _PULSE_CODE_MINAVAIL 0
#define _PULSE_CODE_MAXAVAIL 127
int pulse_attach(dispatch_t* dpp, int flags, int code,
                 int (*func)(message_context_t* ctp, int code, unsigned flags, void* handle), void* handle);
int pulse_detach(dispatch_t* dpp, int code, int flags);
// A connection to the dispatch's own channel, for pulses (a coid).
int message_connect(dispatch_t* dpp, int flags);

// iofunc.
void iofunc_func_init(unsigned nconnect, resmgr_connect_funcs_t* connect, unsigned nio, resmgr_io_funcs_t* io);
void iofunc_attr_init(iofunc_attr_t* attr, mode_t mode, iofunc_attr_t* dattr, struct _client_info* info);
int iofunc_open_default(resmgr_context_t* ctp, io_open_t* msg, iofunc_attr_t* attr, void* extra);
int iofunc_ocb_attach(resmgr_context_t* ctp, io_open_t* msg, iofunc_ocb_t* ocb, iofunc_attr_t* attr,
                      const resmgr_io_funcs_t* io_funcs);
int iofunc_close_ocb_default(resmgr_context_t* ctp, void* reserved, iofunc_ocb_t* ocb);
int iofunc_read_default(resmgr_context_t* ctp, io_read_t* msg, iofunc_ocb_t* ocb);
int iofunc_write_default(resmgr_context_t* ctp, io_write_t* msg, iofunc_ocb_t* ocb);
int iofunc_devctl_default(resmgr_context_t* ctp, io_devctl_t* msg, iofunc_ocb_t* ocb);
int iofunc_notify_default(resmgr_context_t* ctp, io_notify_t* msg, iofunc_ocb_t* ocb);
int iofunc_read_verify(resmgr_context_t* ctp, io_read_t* msg, iofunc_ocb_t* ocb, int* nonblock);
int iofunc_write_verify(resmgr_context_t* ctp, io_write_t* msg, iofunc_ocb_t* ocb, int* nonblock);

// Notification: arms the client for the conditions not already in trig, or answers the
// met ones. nop is an array of three lists (input, output, out-of-band).
int iofunc_notify(resmgr_context_t* ctp, io_notify_t* msg, iofunc_notify_t* nop, int trig, const int* notifycounts,
                  int* armed);
// Delivers the list's condition to every armed client whose count is at most cnt; callable
// from any thread.
void iofunc_notify_trigger(iofunc_notify_t* nop, int cnt, int index);
// Drops every armed entry of the client behind ctp (done on close as well).
void iofunc_notify_remove(resmgr_context_t* ctp, iofunc_notify_t* nop);
