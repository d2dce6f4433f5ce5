// The interfaces' response factories and request serializers: the presence rule, the
// implementation version in the header, failed requests without payload, and the bytes of
// requests as they go out.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "CDSYSDorerAdminEvents.h"
#include "CDSYSDorerClientStoreEvents.h"
#include "CDSYSOnOffEvents.h"

namespace {

// An event as it arrives: header, then the payload the writer gives.
CQFBuffer incoming(uint32_t updateId, uint32_t resultType, const std::function<void(IQFOStream&)>& payload) {
    CQFPIQOStream out;
    SQFServiceEventHeader header;
    header.mAddress = {2, 0};
    header.mId = updateId;
    header.mResultType = resultType;
    header.mSequenceNumber = 77;
    header.write(out);
    if (payload) payload(out);
    return out.getBytes();
}

template <class TEvent>
std::unique_ptr<TEvent> created(const CQFBuffer& bytes) {
    CQFPIQIStream in(bytes);
    std::unique_ptr<CQFServiceResponseEvent> event(TEvent::create(in));
    EXPECT_TRUE(in.isGood());
    return std::unique_ptr<TEvent>(static_cast<TEvent*>(event.release()));
}

TEST(ServiceEvents, PayloadFollowsOnlyWhereTheResultTypeSaysSo) {
    const auto state = [](IQFOStream& out) { out.write(CQFString("FullyOperable")); };
    struct Case {
        uint32_t resultType;
        const char* state;
    } cases[] = {{512, "FullyOperable"}, {513, ""}, {514, "FullyOperable"}, {515, ""}, {516, ""}, {517, "FullyOperable"}};
    for (const Case& c : cases) {
        auto event = created<CDSYSOnOffResponseEvent>(incoming(DSYSOnOff::UPD_ID_currentOperatingState, c.resultType, state));
        EXPECT_EQ(event->mPayload.mCurrentOperatingState, CQFString(c.state)) << c.resultType;
        EXPECT_EQ(event->mPayload.mUpdateId, DSYSOnOff::UPD_ID_currentOperatingState);
        EXPECT_EQ(event->getSequenceNumber(), 77u);
    }
    auto failed = created<CDSYSDorerAdminResponseEvent>(incoming(3, 516, nullptr));
    EXPECT_EQ(failed->mPayload.mCompiledVersion, SDorerVersions());
    EXPECT_TRUE(failed->mPayload.mStoredVersions.empty());
    // An id the interface does not know reads nothing of what follows.
    auto unknown = created<CDSYSOnOffResponseEvent>(incoming(0xC0000007u, 514, state));
    EXPECT_TRUE(unknown->mPayload.mCurrentOperatingState.isEmpty());
}

TEST(ServiceEvents, ImplementationVersionTravelsInTheHeader) {
    auto event = created<CDSYSDorerClientStoreResponseEvent>(incoming(kQFUpdateIdImplementationVersion, 512, [](IQFOStream& out) {
        out.write(static_cast<uint16_t>(2));
        out.write(static_cast<uint16_t>(5));
        out.write(static_cast<uint16_t>(9));
    }));
    EXPECT_EQ(event->getImplementationVersion(), (SQFImplementationVersion{2, 5, 9}));
}

TEST(ServiceEvents, CloneCopiesThePayloadToAnotherAddress) {
    auto event = created<CDSYSDorerAdminResponseEvent>(incoming(DSYSDorerAdmin::UPD_ID_responseStorageInfo, 512, [](IQFOStream& out) {
        writeValue(out, std::vector<SStorageInfo>(2));
    }));
    std::unique_ptr<CQFServiceResponseEvent> copy(event->clone({9, 9}));
    auto* admin = copy->castTo<CDSYSDorerAdminResponseEvent>();
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(admin->getServiceAddress(), (SQFServiceAddress{9, 9}));
    EXPECT_EQ(admin->mPayload.mInfo.size(), 2u);
    EXPECT_EQ(copy->castTo<CDSYSOnOffResponseEvent>(), nullptr);
}

TEST(ServiceEvents, SerializersWriteTheHeaderAndTheRequestsPayload) {
    const SQFProxyInfo info{{2, 0}, "DSYSOnOff", "DorerSrv"};
    CDSYSOnOffRequestEvent trigger(info, 0);
    trigger.mPayload.mNewState = "ReadOnly";
    trigger.setSequenceNumber(5);
    CQFPIQOStream out;
    CDSYSOnOffRequestEvent::serialize(out, trigger);
    const std::vector<uint8_t> expected = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0,  // header
                                           9, 0, 0, 0, 'R', 'e', 'a', 'd', 'O', 'n', 'l', 'y', 0};
    EXPECT_EQ(out.getBytes(), CQFBuffer(expected.data(), expected.size()));

    CQFGenericRequestEvent subscribe(info, static_cast<int32_t>(DSYSOnOff::UPD_ID_currentOperatingState));
    CQFPIQOStream generic;
    CDSYSOnOffRequestEvent::serialize(generic, subscribe);
    EXPECT_EQ(generic.getBytes().getSize(), SQFServiceEventHeader::kSize);

    CDSYSDorerClientStoreRequestEvent unfilled({{2, 2}, "DSYSDorerClientStore", "DorerSrv"}, kQFNoRequest);
    EXPECT_EQ(unfilled.mPayload.mRequestId, -1);
}

}  // namespace
