#include "piq/CQFServiceEvent.h"

void SQFServiceEventHeader::write(IQFOStream& out) const {
    out.write(mAddress.mFirst);
    out.write(mAddress.mSecond);
    out.write(mId);
    out.write(mResultType);
    out.write(mSequenceNumber);
}

void SQFServiceEventHeader::read(IQFIStream& in) {
    in.read(mAddress.mFirst);
    in.read(mAddress.mSecond);
    in.read(mId);
    in.read(mResultType);
    in.read(mSequenceNumber);
}

void* CQFServiceEvent::castToPtr(const CQFClassID&) { return nullptr; }

CQFServiceRequestEvent::CQFServiceRequestEvent(const SQFProxyInfo& info, int32_t requestId) {
    mHeader.mAddress = info.mAddress;
    mHeader.mId = static_cast<uint32_t>(requestId);
}

void* CQFServiceRequestEvent::castToPtr(const CQFClassID& id) {
    return id == classID() ? this : CQFServiceEvent::castToPtr(id);
}

void* CQFGenericRequestEvent::castToPtr(const CQFClassID& id) {
    return id == classID() ? this : CQFServiceRequestEvent::castToPtr(id);
}

void* CQFServiceResponseEvent::castToPtr(const CQFClassID& id) {
    return id == classID() ? this : CQFServiceEvent::castToPtr(id);
}

CQFServiceResponseEvent* CQFServiceResponseEvent::clone(const SQFServiceAddress& address) const {
    auto* copy = new CQFServiceResponseEvent(*this);
    copy->mHeader.mAddress = address;
    copy->mSkipDeletion = false;
    return copy;
}

void CQFServiceResponseEvent::readHeader(IQFIStream& in) {
    CQFServiceEvent::readHeader(in);
    if (mHeader.mId != kQFUpdateIdImplementationVersion) return;
    in.read(mImplementationVersion.mMajor);
    in.read(mImplementationVersion.mMinor);
    in.read(mImplementationVersion.mMicro);
}

void CQFServiceResponseEvent::writeHeader(IQFOStream& out) const {
    CQFServiceEvent::writeHeader(out);
    if (mHeader.mId != kQFUpdateIdImplementationVersion) return;
    out.write(mImplementationVersion.mMajor);
    out.write(mImplementationVersion.mMinor);
    out.write(mImplementationVersion.mMicro);
}

namespace QFComponentEvents {

void serializeServiceRequestEventPIQ(CQFPIQOStream& out, CQFServiceRequestEvent& event) {
    if (event.castTo<CQFGenericRequestEvent>()) {
        event.writeHeader(out);
    } else {
        event.writeToStream(out);
    }
}

CQFServiceResponseEvent* createServiceResponseEventPIQ(CQFPIQIStream& in) {
    auto* event = new CQFServiceResponseEvent;
    event->readHeader(in);
    return event;
}

}  // namespace QFComponentEvents
