// The middleware's event decoding over arbitrary bytes. The first byte picks one of the four
// settings interfaces and whether the rest is a response (read by the interface's factory, as
// the importing side reads it) or a request (as a server reads it); the rest is the event, in
// a buffer of exactly its size, so that a read past it is an ASan report.
// Invariants: the stream never moves past its bytes; no count makes more values than the bytes
// can hold (a read cut short encodes, defaults and all, to a bounded multiple of its bytes); an
// event read whole encodes back to no more bytes than it took (an empty string may come as a
// lone NUL), and that encoding reads back whole to the same encoding (every value within what
// its type carries).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "CDSYSDorerAdminEvents.h"
#include "CDSYSDorerClientGetEvents.h"
#include "CDSYSDorerClientStoreEvents.h"
#include "CDSYSOnOffEvents.h"
#include "fuzz_root.h"

namespace {

// Every element encodes to at most twice its least size on the stream (alignment), and the
// header with the implementation version takes 22 bytes.
constexpr size_t kHeaderRoom = 24;
// A read cut short leaves default elements behind: each vector's count is bounded by the bytes
// left over its element's least size, and a vector may hold vectors (action-log entries hold
// their item errors), so the outer and the inner count may each claim what was left.
constexpr size_t kVectorLevels = 2;

struct Decoded {
    std::unique_ptr<CQFServiceEvent> event;
    bool good;
    CQFBuffer encoding;
};

// A response as the importing side has it: the payload only where the result type says so.
template <class TResponse>
Decoded decodeResponse(const CQFBuffer& bytes) {
    CQFPIQIStream in(bytes);
    std::unique_ptr<TResponse> event(static_cast<TResponse*>(TResponse::create(in)));
    FUZZ_CHECK(in.getPosition() <= bytes.getSize());
    CQFPIQOStream out;
    if (QFServices::hasPayload(event->getUpdateId(), event->getResultType())) {
        event->writeToStream(out);
    } else {
        event->writeHeader(out);
    }
    if (in.isGood()) FUZZ_CHECK(out.getPosition() <= in.getPosition());
    return {std::move(event), in.isGood(), out.getBytes()};
}

template <class TRequest>
Decoded decodeRequest(const CQFBuffer& bytes) {
    CQFPIQIStream in(bytes);
    auto event = std::make_unique<TRequest>(SQFProxyInfo{}, -1);
    event->readFromStream(in);
    FUZZ_CHECK(in.getPosition() <= bytes.getSize());
    CQFPIQOStream out;
    event->writeToStream(out);
    if (in.isGood()) FUZZ_CHECK(out.getPosition() <= in.getPosition());
    return {std::move(event), in.isGood(), out.getBytes()};
}

using Decoder = Decoded (*)(const CQFBuffer&);

const Decoder kDecoders[] = {
    decodeResponse<CDSYSOnOffResponseEvent>,
    decodeResponse<CDSYSDorerClientGetResponseEvent>,
    decodeResponse<CDSYSDorerClientStoreResponseEvent>,
    decodeResponse<CDSYSDorerAdminResponseEvent>,
    decodeRequest<CDSYSOnOffRequestEvent>,
    decodeRequest<CDSYSDorerClientGetRequestEvent>,
    decodeRequest<CDSYSDorerClientStoreRequestEvent>,
    decodeRequest<CDSYSDorerAdminRequestEvent>,
};

bool sameBytes(const CQFBuffer& a, const CQFBuffer& b) {
    return a.getSize() == b.getSize() && (a.getSize() == 0 || memcmp(a.getData(), b.getData(), a.getSize()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Decoder decode = kDecoders[data[0] % (sizeof kDecoders / sizeof kDecoders[0])];
    const CQFBuffer bytes(data + 1, size - 1);
    const Decoded first = decode(bytes);
    const size_t claimed = first.good ? bytes.getSize() : (1 + kVectorLevels) * bytes.getSize();
    FUZZ_CHECK(first.encoding.getSize() <= 2 * claimed + kHeaderRoom);
    if (!first.good) return 0;
    const Decoded again = decode(first.encoding);
    FUZZ_CHECK(again.good);
    FUZZ_CHECK(sameBytes(again.encoding, first.encoding));
    return 0;
}
