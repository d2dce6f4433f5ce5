// The payload byte layout of the settings service interfaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DSYSDorerAdmin.h"
#include "DSYSDorerClientStore.h"
#include "DSYSOnOff.h"
#include "piq/CQFServiceEvent.h"
#include "qf/QFAssert.h"

namespace {

std::vector<uint8_t> bytesOf(const CQFPIQOStream& out, size_t from = 0) {
    const CQFBuffer& b = out.getBytes();
    return std::vector<uint8_t>(b.getData() + from, b.getData() + b.getSize());
}

// A stream positioned after an event header, as payloads are written and read.
struct PayloadStream {
    CQFPIQOStream out;
    PayloadStream() { SQFServiceEventHeader().write(out); }
    std::vector<uint8_t> payload() const { return bytesOf(out, SQFServiceEventHeader::kSize); }
};

CQFPIQIStream streamOf(const std::vector<uint8_t>& bytes) { return CQFPIQIStream(CQFBuffer(bytes.data(), bytes.size())); }

TEST(WireFormat, StateStringsCountTheirNul) {
    struct Case {
        const char* state;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"", {0, 0, 0, 0}},
        {"FullyOperable",
         {14, 0, 0, 0, 'F', 'u', 'l', 'l', 'y', 'O', 'p', 'e', 'r', 'a', 'b', 'l', 'e', 0}},
    };
    for (const Case& c : cases) {
        PayloadStream s;
        DSYSOnOff::SRequestPayload request;
        request.mRequestId = DSYSOnOff::UPD_ID_requestTriggerNewState;
        request.mNewState = c.state;
        DSYSOnOff::writeRequestPayload(s.out, request);
        EXPECT_EQ(s.payload(), c.bytes) << c.state;

        CQFPIQIStream in(s.out.getBytes());
        SQFServiceEventHeader().read(in);
        DSYSOnOff::SRequestPayload back;
        back.mRequestId = 0;
        back.mNewState = "old";
        DSYSOnOff::readRequestPayload(in, back);
        EXPECT_EQ(back.mNewState, CQFString(c.state));
    }
}

TEST(WireFormat, EmptyStoreRequestIsACountAndTheVersions) {
    PayloadStream s;
    DSYSDorerClientStore::SRequestPayload request;
    request.mRequestId = DSYSDorerClientStore::UPD_ID_requestStore;
    request.mVersions = {4, 2, 0x060C, 0xFFFF};
    DSYSDorerClientStore::writeRequestPayload(s.out, request);
    EXPECT_EQ(s.payload(), (std::vector<uint8_t>{0, 0, 0, 0, 4, 0, 2, 0, 0x0C, 0x06, 0xFF, 0xFF}));
}

TEST(WireFormat, StoreRequestChangesCarryUnalignedBuffers) {
    PayloadStream s;
    DSYSDorerClientStore::SRequestPayload request;
    request.mRequestId = 0;
    const uint8_t value[] = {0xAA, 0xBB, 0xCC};
    request.mChanges = {{0xC0000001u, CQFBuffer(value, 3)}, {0x80000002u, CQFBuffer(value, 1)}};
    DSYSDorerClientStore::writeRequestPayload(s.out, request);
    EXPECT_EQ(s.payload(), (std::vector<uint8_t>{2, 0, 0, 0,                    // count
                                                  1, 0, 0, 0xC0, 3, 0, 0, 0,     // id, size
                                                  0xAA, 0xBB, 0xCC, 0,           // bytes, gap
                                                  2, 0, 0, 0x80, 1, 0, 0, 0, 0xAA,
                                                  0,                             // gap to even
                                                  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(WireFormat, AnyNonZeroBooleanWordIsTrue) {
    for (uint32_t word : {0x00000100u, 1u, 0x80000000u}) {
        DSYSOnOff::SResponsePayload onOff;
        onOff.mUpdateId = DSYSOnOff::UPD_ID_responseTriggerNewState;
        CQFPIQIStream in1 = streamOf({uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)});
        DSYSOnOff::readResponsePayload(in1, onOff);
        EXPECT_TRUE(onOff.mTriggerOk) << word;

        DSYSDorerAdmin::SResponsePayload admin;
        admin.mUpdateId = DSYSDorerAdmin::UPD_ID_responseReload;
        CQFPIQIStream in2 = streamOf({uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)});
        DSYSDorerAdmin::readResponsePayload(in2, admin);
        EXPECT_TRUE(admin.mSuccess) << word;
    }
}

TEST(WireFormat, StorageInfoGapsAndElementPitch) {
    SStorageInfo info;
    info.mStorage = DSYSDorerTypes::Eeprom;
    info.mStatus = DSYSDorerAdmin::EPartitionCondition_eCorrupted;
    info.mIndex = 7;
    info.mEraseCounter = 0x1234;
    info.mDataPos = 0x5678;
    info.mSpare = 0x9A;
    const std::vector<uint8_t> element = {2, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0x34, 0x12, 0x78, 0x56, 0x9A};

    CQFPIQOStream single;
    single.write(static_cast<uint16_t>(0xBEEF));  // the element starts at 2
    writeValue(single, info);
    std::vector<uint8_t> expected = {0xEF, 0xBE, 0, 0};
    expected.insert(expected.end(), element.begin(), element.end());
    EXPECT_EQ(bytesOf(single), expected);

    CQFPIQOStream vector;
    writeValue(vector, std::vector<SStorageInfo>{info, info, info});
    const std::vector<uint8_t> bytes = bytesOf(vector);
    ASSERT_EQ(bytes.size(), 4u + 16 + 16 + 15);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4 + 16 * i, bytes.begin() + 4 + 16 * i + 15), element) << i;
    }
}

TEST(WireFormat, EnumerationTexts) {
    std::vector<SQFAssertion> asserts;
    QFAssert::setObserver([&](const SQFAssertion& a) { asserts.push_back(a); });
    EXPECT_STREQ(DSYSDorerTypes::toString(DSYSDorerTypes::None), "None");
    EXPECT_STREQ(DSYSDorerTypes::toString(DSYSDorerTypes::Flash), "Flash");
    EXPECT_STREQ(DSYSDorerTypes::toString(DSYSDorerTypes::Eeprom), "Eeprom");
    EXPECT_STREQ(DSYSDorerTypes::toString(DSYSDorerTypes::Adjust), "Adjust");
    EXPECT_STREQ(DSYSDorerTypes::toString(DSYSDorerTypes::Early), "Early");
    EXPECT_STREQ(DSYSDorerAdmin::toString(DSYSDorerAdmin::EPartitionCondition_eInAccessible),
                 "EPartitionCondition_eInAccessible");
    EXPECT_TRUE(asserts.empty());
    EXPECT_STREQ(DSYSDorerTypes::toString(static_cast<DSYSDorerTypes::EStorageType>(3)), "");
    EXPECT_STREQ(DSYSDorerAdmin::toString(static_cast<DSYSDorerAdmin::EPartitionCondition>(5)), "");
    QFAssert::setObserver({});
    ASSERT_EQ(asserts.size(), 2u);
    EXPECT_EQ(asserts[0].mMessage, "Undefined DSYSDorerTypes::EStorageType value.");
    EXPECT_EQ(asserts[0].mValue, "3");
    EXPECT_EQ(asserts[1].mMessage, "Undefined DSYSDorerAdmin::EPartitionCondition value.");
}

template <class T>
T roundTrip(const T& value, size_t offset) {
    CQFPIQOStream out;
    for (size_t i = 0; i < offset; ++i) out.write(static_cast<uint8_t>(0xEE));
    writeValue(out, value);
    CQFPIQIStream in(out.getBytes());
    uint8_t skip;
    for (size_t i = 0; i < offset; ++i) in.read(skip);
    T back;
    readValue(in, back);
    EXPECT_TRUE(in.isGood());
    EXPECT_EQ(in.getRemaining(), 0u);
    return back;
}

TEST(WireFormat, EveryStructureRoundTripsAtEveryOffset) {
    SActionLogEntry entry;
    entry.mAction = DSYSDorerAdmin::EDorerAction_eTriggerFullyOperable;
    entry.mSuccess = true;
    entry.mIoResult = 3;
    entry.mItemErrors = {{0xC0000005u, 2}, {0x40000001u, 4}};
    entry.mReserved1 = -7;
    entry.mReserved2 = 99;
    entry.mSequenceNumber = 41;
    SStorageInfo info;
    info.mStorage = DSYSDorerTypes::Early;
    info.mEraseCounter = 3;
    info.mDataPos = 0xFFF0;
    for (size_t offset = 0; offset < 4; ++offset) {
        const SDorerVersions versions{4, 2, 0x060C, 0xFFFF};
        EXPECT_EQ(roundTrip(versions, offset), versions);
        EXPECT_EQ(roundTrip(info, offset), info);
        EXPECT_EQ(roundTrip(SStoredVersion{0x80000010u, 0x0102}, offset), (SStoredVersion{0x80000010u, 0x0102}));
        EXPECT_EQ(roundTrip(SItemError{1, 4}, offset), (SItemError{1, 4}));
        EXPECT_EQ(roundTrip(entry, offset), entry);
        EXPECT_EQ(roundTrip(std::vector<SActionLogEntry>{entry, SActionLogEntry(), entry}, offset).size(), 3u);
        const uint8_t data[] = {1, 2, 3, 4, 5};
        const SDorerItemChange change = roundTrip(SDorerItemChange{0xC0000002u, CQFBuffer(data, 5)}, offset);
        EXPECT_EQ(change.mItemId, 0xC0000002u);
        EXPECT_EQ(change.mData, CQFBuffer(data, 5));
    }
}

TEST(WireFormat, NewRecordsHoldTheirDefaults) {
    EXPECT_EQ(SDorerVersions(), (SDorerVersions{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
    SStorageInfo info;
    EXPECT_EQ(info.mSpare, 0xFF);
    EXPECT_EQ(info.mStorage, 0u);
    EXPECT_EQ(SStoredVersion(), (SStoredVersion{0, 0}));
}

TEST(WireFormat, ImpossibleCountsAndShortStreamsAreRefused) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF}},
        {"more elements than bytes", {2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}},
        {"truncated element", {1, 0, 0, 0, 1, 0, 0, 0}},
        {"string longer than the stream", {3, 0, 0, 0, 'a', 'b'}},
    };
    for (const Case& c : cases) {
        CQFPIQIStream in = streamOf(c.bytes);
        if (std::string(c.what).find("string") != std::string::npos) {
            CQFString text("kept");
            in.read(text);
            EXPECT_EQ(text, CQFString("kept"));
        } else {
            std::vector<SStoredVersion> values(1);
            readValue(in, values);
        }
        EXPECT_FALSE(in.isGood()) << c.what;
        uint32_t after = 5;
        in.read(after);
        EXPECT_EQ(after, 5u) << c.what;
    }
}

}  // namespace
