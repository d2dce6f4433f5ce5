// Kernel calls of the target that the programs use: channels and pulses, timers and
// time-outs, interrupts, I/O privileges. Interrupts are raised from other processes
// (the stand-ins) through hu/interrupt_line.h.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <time.h>

#include <cstdint>

// Event kinds beyond the host's own sigev_notify values.
#define SIGEV_PULSE 0x70
#define SIGEV_INTR 0x71
#define SIGEV_PULSE_PRIO_INHERIT (-1)

// A pulse event: connection in sigev_signo, value in sigev_value, code in the thread-id slot (_sigev_un._tid).
inline void SIGEV_PULSE_INIT(struct sigevent* ev, int coid, int priority, int code, int value) {
    *ev = {};
    (void)priority;  // the host schedules pulses with the receiver's own priority
    ev->sigev_notify = SIGEV_PULSE;
    ev->sigev_signo = coid;
    ev->sigev_value.sival_int = value;
    ev->_sigev_un._tid = code;
}
inline void SIGEV_INTR_INIT(struct sigevent* ev) {
    *ev = {};
    ev->sigev_notify = SIGEV_INTR;
}

// Channels and connections.
#define _NTO_CHF_DISCONNECT 0x0004
#define _NTO_SIDE_CHANNEL 0x40000000
int ChannelCreate(unsigned flags);
int ChannelDestroy(int chid);
int ConnectAttach(uint32_t nd, pid_t pid, int chid, unsigned index, int flags);
int ConnectDetach(int coid);
int MsgSendPulse(int coid, int priority, int code, int value);

// Timers. A pulse timer sends its pulse on every expiry.
struct _itimer {
    uint64_t nsec;
    uint64_t interval_nsec;
};
int TimerCreate(clockid_t id, const struct sigevent* event);
int TimerSettime(int id, int flags, const struct _itimer* itime, struct _itimer* oitime);
int TimerDestroy(int id);

// A time-out for the calling thread's next blocking call of the given kinds.
#define _NTO_TIMEOUT_INTR (1u << 6)
int TimerTimeout(clockid_t id, int flags, const struct sigevent* notify, const uint64_t* ntime, uint64_t* otime);

// Interrupts: attach by number to the calling thread, wait (ETIMEDOUT after a TimerTimeout),
// unmask after handling. With _NTO_INTR_FLAGS_TRK_MSK a delivered interrupt stays masked
// until InterruptUnmask.
#define _NTO_INTR_FLAGS_TRK_MSK 0x08
int InterruptAttachEvent(int intr, const struct sigevent* event, unsigned flags);
int InterruptDetach(int id);
int InterruptWait(int flags, const uint64_t* timeout);
int InterruptUnmask(int intr, int id);
int InterruptMask(int intr, int id);

// I/O privileges: nothing to gain on the host.
#define _NTO_TCTL_IO 14
int ThreadCtl(int cmd, void* data);
