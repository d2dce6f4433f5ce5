#include "mhl_peer.h"

#include <cstdio>
#include <cstdlib>

namespace adv748x_sim {
namespace {

// CBUS registers.
constexpr uint8_t kReqControl = 0x00, kRespControl = 0x01, kHwState = 0x02;
constexpr uint8_t kStatus = 0x10, kClear = 0x13, kEnable = 0x16;
constexpr uint8_t kSequencer = 0x28, kReqRxCount = 0x30, kRespRxCount = 0x32, kSizeMatch = 0x35;
constexpr uint8_t kReqTxFlags = 0x40, kReqRxFlags = 0x50, kRespTxFlags = 0x60, kRespRxFlags = 0x70;
constexpr uint8_t kReqTxData = 0x80, kReqRxData = 0xA0, kRespTxData = 0xC0, kRespRxData = 0xE0;
constexpr uint8_t kFifoReset = 0xC0;
constexpr size_t kFifoSize = 32;

// Interrupt status bits.
constexpr uint32_t kIdle = 0x1, kRespRequest = 0x2, kRespSizeMatch = 0x4, kRespTxDone = 0x8;
constexpr uint32_t kReqTx = 0x10, kReqRx = 0x20, kAbort = 0x80, kRespPacket = 0x8000, kLink = 0x20000;

constexpr uint8_t kAck = 0x33, kNack = 0x34, kAbortPacket = 0x35;
constexpr uint8_t kSeqConnected = 0x40;

const std::vector<uint8_t> kDefaultCaps = {0x00, 0x12, 0x02, 0x3F, 0x01, 0x00, 0x01, 0x00,
                                           0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
constexpr uint8_t kVendorId = 0x3A;

}  // namespace

std::string formatPackets(const MhlPackets& packets) {
    std::string text;
    char token[8];
    for (const MhlPacket& p : packets) {
        std::snprintf(token, sizeof token, "%s%c:%02x", text.empty() ? "" : " ", p.control ? 'c' : 'd', p.value);
        text += token;
    }
    return text;
}

bool parsePackets(const std::vector<std::string>& tokens, MhlPackets* packets) {
    for (const std::string& t : tokens) {
        if (t.size() < 3 || (t[0] != 'c' && t[0] != 'd') || t[1] != ':') return false;
        char* end = nullptr;
        unsigned long value = std::strtoul(t.c_str() + 2, &end, 16);
        if (*end != '\0' || value > 0xFF) return false;
        packets->push_back({t[0] == 'c', static_cast<uint8_t>(value)});
    }
    return true;
}

bool parseAnswerMode(const std::string& name, AnswerMode* mode) {
    static const std::pair<const char*, AnswerMode> kModes[] = {
        {"auto", AnswerMode::Auto},     {"nack", AnswerMode::Nack},        {"abort", AnswerMode::Abort},
        {"silent", AnswerMode::Silent}, {"rx-abort", AnswerMode::RxAbort},
    };
    for (const auto& [n, m] : kModes) {
        if (name == n) {
            *mode = m;
            return true;
        }
    }
    return false;
}

MhlPeer::MhlPeer(ChipModel& chip, Log log) : chip_(chip), log_(std::move(log)), caps_(kDefaultCaps) {
    chip_.onWrite(CBUS, kReqControl, [this](uint8_t v) { onRequesterControl(v); });
    chip_.onWrite(CBUS, kRespControl, [this](uint8_t v) { onResponderControl(v); });
    for (int byte = 0; byte < 3; ++byte) {
        chip_.onWrite(CBUS, static_cast<uint8_t>(kClear + byte), [this, byte](uint8_t v) { onStatusCleared(byte, v); });
    }
}

void MhlPeer::reset() {
    requester_open_ = false;
    responder_busy_ = false;
    replied_ = false;
    answer_ = Answer{};
    outbox_.clear();
    held_.clear();
}

void MhlPeer::latchStatus(uint32_t bits) {
    for (int byte = 0; byte < 3; ++byte) {
        uint8_t b = static_cast<uint8_t>(bits >> (8 * byte));
        if (b != 0) chip_.latch(CBUS, static_cast<uint8_t>(kStatus + byte), b);
    }
}

bool MhlPeer::enabled(uint32_t bit) const {
    for (int byte = 0; byte < 3; ++byte) {
        if ((bit >> (8 * byte)) & chip_.peek(CBUS, static_cast<uint8_t>(kEnable + byte))) return true;
    }
    return false;
}

void MhlPeer::setSequencer(uint8_t value) {
    chip_.poke(CBUS, kSequencer, value);
    latchStatus(kLink);
}

void MhlPeer::connect() {
    chip_.poke(CBUS, kHwState, static_cast<uint8_t>((chip_.peek(CBUS, kHwState) & 0xF8) | 0x01));
    setSequencer(kSeqConnected);
}

void MhlPeer::disconnect() {
    reset();
    chip_.poke(CBUS, kHwState, static_cast<uint8_t>(chip_.peek(CBUS, kHwState) & 0xF8));
    setSequencer(0x00);
}

void MhlPeer::setAnswer(AnswerMode mode, int count) {
    mode_ = mode;
    mode_count_ = count;
}

void MhlPeer::setCapabilities(const std::vector<uint8_t>& caps) { caps_ = caps; }

MhlPackets MhlPeer::readTxFifo(uint8_t data_base, uint8_t flag_base, int n) const {
    MhlPackets packets;
    for (int i = 0; i < n; ++i) {
        bool control = (chip_.peek(CBUS, static_cast<uint8_t>(flag_base + i / 8)) >> (i % 8)) & 1;
        packets.push_back({control, chip_.peek(CBUS, static_cast<uint8_t>(data_base + i))});
    }
    return packets;
}

void MhlPeer::writeRxFifo(uint8_t data_base, uint8_t flag_base, uint8_t count_reg, size_t first,
                          const MhlPackets& packets) {
    size_t i = first;
    for (const MhlPacket& p : packets) {
        if (i >= kFifoSize) break;  // the FIFO is full: the rest is lost
        chip_.poke(CBUS, static_cast<uint8_t>(data_base + i), p.value);
        uint8_t flag_reg = static_cast<uint8_t>(flag_base + i / 8);
        uint8_t bit = static_cast<uint8_t>(1u << (i % 8));
        uint8_t flags = chip_.peek(CBUS, flag_reg);
        chip_.poke(CBUS, flag_reg, p.control ? (flags | bit) : (flags & ~bit));
        ++i;
    }
    chip_.poke(CBUS, count_reg, static_cast<uint8_t>(i));
}

MhlPackets MhlPeer::autoAnswer(const MhlPackets& request) {
    uint8_t cmd = request[0].value;
    uint8_t arg = request.size() > 1 ? request[1].value : 0;
    switch (cmd) {
        case 0x60: case 0x64: case 0x65: case 0x68: case 0x6C: return {{true, kAck}};
        case 0x61: return arg < caps_.size() ? MhlPackets{{true, kAck}, {false, caps_[arg]}} : MhlPackets{{true, kAbortPacket}};
        case 0x62: return {{false, 0x00}};
        case 0x63: return {{false, kVendorId}};
        case 0x6A: case 0x6B: return {{false, 0x00}};
        default: return {{true, kAbortPacket}};
    }
}

void MhlPeer::onRequesterControl(uint8_t value) {
    if (value == kFifoReset) {
        requester_open_ = false;
        answer_ = Answer{};
        chip_.poke(CBUS, kReqRxCount, 0);
        pump();
        return;
    }
    int n = value >> 1;
    if (!(value & 1) || n == 0 || n > static_cast<int>(kFifoSize)) return;
    MhlPackets request = readTxFifo(kReqTxData, kReqTxFlags, n);
    chip_.poke(CBUS, kReqRxCount, 0);
    requester_open_ = true;
    // Bus arbitration: a request of the source that is waiting or in the receiver's hands
    // wins; the receiver's request stays in its FIFO until the receiver gives it up.
    if (!outbox_.empty() || responder_busy_) {
        log_("lost " + formatPackets(request));
        pump();
        return;
    }
    log_("request " + formatPackets(request));
    latchStatus(kReqTx);
    answer_.pending = true;
    answer_.mode = mode_;
    answer_.packets = mode_ == AnswerMode::Nack ? MhlPackets{{true, kNack}} : autoAnswer(request);
    if (mode_count_ > 0 && --mode_count_ == 0) setAnswer(AnswerMode::Auto, -1);
}

// The source answers once the receiver has taken note that its request went out.
void MhlPeer::onStatusCleared(int byte, uint8_t bits) {
    if (byte != 0 || !answer_.pending) return;
    if (bits & kReqTx) {
        deliverAnswer();
    } else if ((bits & kReqRx) && answer_.mode == AnswerMode::RxAbort) {
        answer_.pending = false;
        latchStatus(kAbort);
    }
}

void MhlPeer::deliverAnswer() {
    switch (answer_.mode) {
        case AnswerMode::Silent: answer_.pending = false; return;
        case AnswerMode::Abort:
            answer_.pending = false;
            latchStatus(kAbort);
            return;
        case AnswerMode::RxAbort:
            writeRxFifo(kReqRxData, kReqRxFlags, kReqRxCount, 0, answer_.packets);
            latchStatus(kReqRx);
            return;
        case AnswerMode::Auto:
        case AnswerMode::Nack:
            answer_.pending = false;
            writeRxFifo(kReqRxData, kReqRxFlags, kReqRxCount, 0, answer_.packets);
            latchStatus(kReqRx | kIdle);
            return;
    }
}

void MhlPeer::onResponderControl(uint8_t value) {
    if (value == kFifoReset) {
        if (responder_busy_ && !replied_) log_("dropped");
        responder_busy_ = false;
        replied_ = false;
        held_.clear();
        chip_.poke(CBUS, kRespRxCount, 0);
        pump();
        return;
    }
    int n = value >> 1;
    if (!(value & 1) || n == 0 || n > static_cast<int>(kFifoSize)) return;
    log_("reply " + formatPackets(readTxFifo(kRespTxData, kRespTxFlags, n)));
    replied_ = true;
    held_.clear();
    chip_.poke(CBUS, kRespRxCount, 0);
    latchStatus(kIdle | (enabled(kRespTxDone) ? kRespTxDone : 0));
}

// Size match, packet received and transmit done are latched only while enabled: the chip
// watches for them on request.
void MhlPeer::deliverToResponder(const MhlPackets& packets) {
    uint8_t count = chip_.peek(CBUS, kRespRxCount) & 0x1F;
    writeRxFifo(kRespRxData, kRespRxFlags, kRespRxCount, count, packets);
    uint32_t bits = count == 0 ? kRespRequest : 0;
    if (count > 0 && enabled(kRespPacket)) bits |= kRespPacket;
    uint8_t now = chip_.peek(CBUS, kRespRxCount);
    if (enabled(kRespSizeMatch) && now >= chip_.peek(CBUS, kSizeMatch) + 1) bits |= kRespSizeMatch;
    latchStatus(bits);
}

void MhlPeer::pump() {
    if (outbox_.empty() || responder_busy_ || requester_open_) return;
    sendNow(outbox_.front());
    outbox_.pop_front();
}

void MhlPeer::send(const MhlPackets& request, size_t hold) {
    if (hold > 0 && hold < request.size()) {
        outbox_.push_back(MhlPackets(request.begin(), request.begin() + hold));
        held_.assign(request.begin() + hold, request.end());
    } else {
        outbox_.push_back(request);
    }
    pump();
}

void MhlPeer::sendNow(const MhlPackets& request) {
    log_("send " + formatPackets(request));
    responder_busy_ = true;
    replied_ = false;
    deliverToResponder(request);
}

void MhlPeer::flush() {
    MhlPackets rest;
    rest.swap(held_);
    if (!rest.empty()) deliverToResponder(rest);
}

void MhlPeer::injectFifo(int block, uint8_t count, const MhlPackets& packets) {
    if (block == 0) {
        writeRxFifo(kReqRxData, kReqRxFlags, kReqRxCount, 0, packets);
        chip_.poke(CBUS, kReqRxCount, count);
    } else {
        writeRxFifo(kRespRxData, kRespRxFlags, kRespRxCount, 0, packets);
        chip_.poke(CBUS, kRespRxCount, count);
    }
}

}  // namespace adv748x_sim
