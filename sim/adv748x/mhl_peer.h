// An MHL source on the far end of the chip's CBUS: the chip's requester and responder
// FIFOs, the sideband interrupt latches, the sequencer and hardware state, and a source that
// answers the receiver's requests and sends its own, scripted by tests.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "chip_model.h"

namespace adv748x_sim {

struct MhlPacket {
    bool control;
    uint8_t value;
};
using MhlPackets = std::vector<MhlPacket>;

// "c:64 d:30 d:01" <-> packets. Parsing: false on a malformed token.
std::string formatPackets(const MhlPackets& packets);
bool parsePackets(const std::vector<std::string>& tokens, MhlPackets* packets);

// How the source answers the receiver's requests.
enum class AnswerMode {
    Auto,     // as a source would: ACK, data, capabilities
    Nack,     // a NACK packet
    Abort,    // the transfer is aborted after it was sent
    Silent,   // sent, never answered
    RxAbort,  // answered, then aborted before the transfer ends
};
bool parseAnswerMode(const std::string& name, AnswerMode* mode);

class MhlPeer {
public:
    using Log = std::function<void(const std::string& line)>;
    MhlPeer(ChipModel& chip, Log log);

    void connect();
    void disconnect();
    void setSequencer(uint8_t value);  // any sequencer state, with the link interrupt

    // The mode for the next `count` requests (-1: from now on), Auto afterwards.
    void setAnswer(AnswerMode mode, int count);
    void setCapabilities(const std::vector<uint8_t>& caps);

    // A request of the source: queued until the bus is free. With hold > 0 only the first
    // `hold` packets go out, the rest on flush().
    void send(const MhlPackets& request, size_t hold = 0);
    // Delivered at once, whatever the bus is doing.
    void sendNow(const MhlPackets& request);
    void flush();
    // Raw receive FIFO contents and count register of one block (0 requester, 1 responder),
    // for hostile-peer tests: nothing is latched.
    void injectFifo(int block, uint8_t count, const MhlPackets& packets);

    void reset();

private:
    struct Answer {
        bool pending = false;
        AnswerMode mode = AnswerMode::Auto;
        MhlPackets packets;
    };

    void onRequesterControl(uint8_t value);
    void onResponderControl(uint8_t value);
    void onStatusCleared(int byte, uint8_t bits);
    void deliverAnswer();
    void pump();
    void deliverToResponder(const MhlPackets& packets);
    MhlPackets readTxFifo(uint8_t data_base, uint8_t flag_base, int n) const;
    void writeRxFifo(uint8_t data_base, uint8_t flag_base, uint8_t count_reg, size_t first, const MhlPackets& packets);
    MhlPackets autoAnswer(const MhlPackets& request);
    void latchStatus(uint32_t bits);
    bool enabled(uint32_t bit) const;

    ChipModel& chip_;
    Log log_;
    std::vector<uint8_t> caps_;
    AnswerMode mode_ = AnswerMode::Auto;
    int mode_count_ = -1;
    bool requester_open_ = false;  // the receiver's request sits in the transmit FIFO
    // A request of the source occupies the responder until the receiver resets its FIFO.
    bool responder_busy_ = false;
    bool replied_ = false;
    Answer answer_;
    std::deque<MhlPackets> outbox_;
    MhlPackets held_;
};

}  // namespace adv748x_sim
