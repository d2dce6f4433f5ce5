// Texts, buffers, byte streams and reference counting.
#include <gtest/gtest.h>

#include "qf/CQFBuffer.h"
#include "qf/CQFString.h"
#include "qf/CQFThreadSafeRefCounter.h"

namespace {

TEST(CQFStringTest, LengthsAndEditing) {
    CQFString text("h\xC3\xA9llo");  // é is two bytes
    EXPECT_EQ(6u, text.getByteLength());
    EXPECT_EQ(5u, text.getCharCount());
    EXPECT_EQ(CQFString("llo"), text.getRight(3));
    EXPECT_EQ(CQFString("h\xC3\xA9"), text.getMid(0, 3));
    EXPECT_EQ(CQFString(), text.getMid(10, 2));
    EXPECT_TRUE(text.startsWith("h\xC3\xA9"));
    EXPECT_FALSE(text.startsWith("hello world"));

    CQFString padded("  \tsome text\n ");
    EXPECT_EQ(CQFString("some text"), padded.trim());
    EXPECT_EQ(CQFString(), CQFString("   ").trim());

    EXPECT_EQ(CQFString("ABC-1"), QFStringUtilities::toUpper("abC-1"));
    EXPECT_EQ(CQFString("abc-1"), QFStringUtilities::toLower("AbC-1"));
    EXPECT_EQ(CQFString("x=0x2a rest"), CQFString().format("%s=0x%.2x %s", "x", 42, "rest"));
    EXPECT_EQ(CQFString(), CQFString(nullptr));
}

TEST(CQFStringTest, ReplaceAllEveryOccurrenceNeverInsideAReplacement) {
    CQFString text("%a% and %a% and %b%");
    EXPECT_EQ(2u, text.replaceAll("%a%", "<%a%>"));
    EXPECT_EQ(CQFString("<%a%> and <%a%> and %b%"), text);
    EXPECT_EQ(0u, text.replaceAll("", "x"));
    CQFString percent("100% sure %unknown%");
    EXPECT_EQ(0u, percent.replaceAll("%name%", "x"));
    EXPECT_EQ(CQFString("100% sure %unknown%"), percent);
}

TEST(CQFBufferTest, CopyGrowsResizeZeroFillsTruncateOnlyShortens) {
    CQFBuffer buffer;
    const uint8_t bytes[] = {1, 2, 3};
    buffer.copyTo(bytes, 3, 2);
    ASSERT_EQ(5u, buffer.getSize());
    EXPECT_EQ(CQFBuffer(std::vector<uint8_t>{0, 0, 1, 2, 3}.data(), 5), buffer);
    buffer.truncate(10);
    EXPECT_EQ(5u, buffer.getSize());
    buffer.truncate(3);
    buffer.resize(4);
    EXPECT_EQ(CQFBuffer(std::vector<uint8_t>{0, 0, 1, 0}.data(), 4), buffer);
    EXPECT_NE(CQFBuffer(), buffer);
}

TEST(CQFByteStreamTest, AlignedRoundTripAndReadsNeverPassTheEnd) {
    CQFBuffer buffer;
    CQFByteStream out(buffer);
    out.write<uint8_t>(7);
    out.alignWrite(4);
    out.write<uint32_t>(0x11223344);
    EXPECT_EQ(8u, buffer.getSize());

    CQFByteStream in(buffer);
    uint8_t small = 0;
    uint32_t word = 0;
    ASSERT_TRUE(in.read(small));
    ASSERT_TRUE(in.alignRead(4));
    ASSERT_TRUE(in.read(word));
    EXPECT_EQ(7, small);
    EXPECT_EQ(0x11223344u, word);
    EXPECT_TRUE(in.isGood());
    uint16_t past = 0xBEEF;
    EXPECT_FALSE(in.read(past));
    EXPECT_EQ(0xBEEF, past);  // untouched
    EXPECT_FALSE(in.isGood());
    EXPECT_FALSE(in.setPosition(9));
}

struct Counted : CQFThreadSafeRefCounter {
    explicit Counted(int& destroyed) : mDestroyed(destroyed) {}
    ~Counted() override { ++mDestroyed; }
    int& mDestroyed;
};

TEST(CQFThreadSafeRefCounterTest, LastReleaseDestroysOnce) {
    int destroyed = 0;
    {
        TQFRef<Counted> first(new Counted(destroyed));
        TQFRef<Counted> second = first;
        EXPECT_EQ(2, first->getRefCount());
        first.reset();
        EXPECT_EQ(0, destroyed);
        EXPECT_EQ(1, second->getRefCount());
    }
    EXPECT_EQ(1, destroyed);
}

}  // namespace
