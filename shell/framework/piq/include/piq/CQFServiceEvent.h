// Service events: the header every middleware event begins with, and the bases of the
// interfaces' request and response events.
//
// Header layout (16 bytes, each field in host byte order): service address (two uint16),
// request or update id (uint32), result type (uint32; 0 in requests), sequence number
// (uint32). The implementation-version update (0xFFFFFFFE) continues the header with three
// uint16 values. The payload follows, aligned from the header's first byte.
#pragma once

#include <cstdint>

#include "piq/QFServices.h"
#include "piq/QFStreams.h"
#include "qf/CQFEvent.h"

struct SQFServiceEventHeader {
    static constexpr size_t kSize = 16;
    SQFServiceAddress mAddress;
    uint32_t mId = static_cast<uint32_t>(kQFNoRequest);
    uint32_t mResultType = 0;
    uint32_t mSequenceNumber = 0;

    void write(IQFOStream& out) const;
    void read(IQFIStream& in);
};

struct SQFImplementationVersion {
    uint16_t mMajor = 0;
    uint16_t mMinor = 0;
    uint16_t mMicro = 0;
    bool operator==(const SQFImplementationVersion& o) const {
        return mMajor == o.mMajor && mMinor == o.mMinor && mMicro == o.mMicro;
    }
};

// What a proxy knows of its service; request events are built from it.
struct SQFProxyInfo {
    SQFServiceAddress mAddress;
    CQFString mInterfaceName;  // "DSYSOnOff"
    CQFString mRoleName;       // "DorerSrv"
};

class CQFServiceEvent : public CQFEvent {
public:
    SQFServiceEventHeader& getHeader() { return mHeader; }
    const SQFServiceEventHeader& getHeader() const { return mHeader; }
    const SQFServiceAddress& getServiceAddress() const { return mHeader.mAddress; }
    uint32_t getUpdateId() const { return mHeader.mId; }
    uint32_t getResultType() const { return mHeader.mResultType; }
    uint32_t getSequenceNumber() const { return mHeader.mSequenceNumber; }
    void setSequenceNumber(uint32_t sequenceNumber) { mHeader.mSequenceNumber = sequenceNumber; }

    // The event as the class of classID, or null: each class answers for its own id and
    // leaves the others to its base.
    virtual void* castToPtr(const CQFClassID& classID);
    template <class T>
    T* castTo() {
        return static_cast<T*>(castToPtr(T::classID()));
    }

    // Header and payload (no presence rule).
    virtual void readFromStream(IQFIStream& in) { readHeader(in); }
    virtual void writeToStream(IQFOStream& out) const { writeHeader(out); }
    virtual void readHeader(IQFIStream& in) { mHeader.read(in); }
    virtual void writeHeader(IQFOStream& out) const { mHeader.write(out); }

protected:
    SQFServiceEventHeader mHeader;
};

class CQFServiceRequestEvent : public CQFServiceEvent {
public:
    QF_DECLARE_EVENT_CLASS(CQFServiceRequestEvent)
    CQFServiceRequestEvent(const SQFProxyInfo& info, int32_t requestId);
    void* castToPtr(const CQFClassID& classID) override;
};

// The generic requests of the framework: notifications of one attribute on, or all off.
class CQFGenericRequestEvent : public CQFServiceRequestEvent {
public:
    QF_DECLARE_EVENT_CLASS(CQFGenericRequestEvent)
    using CQFServiceRequestEvent::CQFServiceRequestEvent;
    void* castToPtr(const CQFClassID& classID) override;
};

class CQFServiceResponseEvent : public CQFServiceEvent {
public:
    QF_DECLARE_EVENT_CLASS(CQFServiceResponseEvent)
    void* castToPtr(const CQFClassID& classID) override;
    // A copy addressed to another proxy address, payload included.
    virtual CQFServiceResponseEvent* clone(const SQFServiceAddress& address) const;

    void readHeader(IQFIStream& in) override;
    void writeHeader(IQFOStream& out) const override;
    const SQFImplementationVersion& getImplementationVersion() const { return mImplementationVersion; }
    void setImplementationVersion(const SQFImplementationVersion& v) { mImplementationVersion = v; }

    // Asks the framework not to delete the event after delivery to its proxy: the proxy keeps
    // it as its current response and deletes it itself.
    void skipDeletion() { mSkipDeletion = true; }
    bool isDeletionSkipped() const { return mSkipDeletion; }

protected:
    SQFImplementationVersion mImplementationVersion;
    bool mSkipDeletion = false;
};

namespace QFComponentEvents {
// Writes a framework request (generic requests carry no payload) or, for any other request,
// its header and payload through writeToStream.
void serializeServiceRequestEventPIQ(CQFPIQOStream& out, CQFServiceRequestEvent& event);
// A plain response event read from the stream (header only): for an interface without factory.
CQFServiceResponseEvent* createServiceResponseEventPIQ(CQFPIQIStream& in);
}  // namespace QFComponentEvents
