// The page reader between a writer process (this test) and reader processes (probes): who
// creates the access object, when the copy is refreshed, and the attach failures.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <gtest/gtest.h>

#include "page_test_support.h"
#include "pagewriter/page_image.h"
#include "test_defaults.h"

namespace {

using hu::pagewriter::PageImage;
using hu::pagewriter::PageWriter;
using page_test::Logger;
using page_test::Names;
using page_test::Probe;

std::vector<uint8_t> pageWithVin(const std::string& vin, uint8_t version = 1) {
    return PageImage().add(test_defaults::kVin, std::vector<uint8_t>(vin.begin(), vin.end())).build(version);
}

std::string hexOf(const std::string& text) {
    std::string hex;
    char byte[3];
    for (unsigned char c : text) {
        snprintf(byte, sizeof byte, "%02x", c);
        hex += byte;
    }
    return hex;
}

std::string readVin() { return "read f0001002 0 11"; }

struct AccessObjectView {
    off_t size = -1;
    uint32_t changeCounter = 0, timeStamp = 0;
};

AccessObjectView viewAccessObject(const std::string& name) {
    AccessObjectView view;
    int fd = shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0) return view;
    struct stat info {};
    fstat(fd, &info);
    view.size = info.st_size;
    void* address = mmap(nullptr, sizeof(hu::pagewriter::AccessObject), PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (address == MAP_FAILED) return view;
    auto* object = static_cast<const hu::pagewriter::AccessObject*>(address);
    view.changeCounter = object->changeCounter;
    view.timeStamp = object->timeStamp;
    munmap(address, sizeof(hu::pagewriter::AccessObject));
    return view;
}

// What a writer that starts again does to the access object the readers keep mapped.
void restartCounter(const std::string& name) {
    int fd = shm_open(name.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    void* address = mmap(nullptr, sizeof(hu::pagewriter::AccessObject), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    ASSERT_NE(MAP_FAILED, address);
    static_cast<hu::pagewriter::AccessObject*>(address)->changeCounter = 0;
    munmap(address, sizeof(hu::pagewriter::AccessObject));
}

TEST(PageReaderTest, FirstReaderCreatesTheAccessObjectAndOthersMapIt) {
    hu::testing::TempRoot root;
    Names names;
    PageWriter writer(names.page, names.lock);
    ASSERT_TRUE(writer.openPage(pageWithVin("FIRST")));

    uint32_t before = static_cast<uint32_t>(time(nullptr));
    Probe first;
    EXPECT_EQ("attach 0", first.ask("attach " + names.page + " " + names.lock));
    AccessObjectView created = viewAccessObject(names.lock);
    EXPECT_EQ(static_cast<off_t>(sizeof(pthread_rwlock_t) + 8), created.size);
    EXPECT_EQ(0u, created.changeCounter);
    EXPECT_GE(created.timeStamp, before);
    EXPECT_LE(created.timeStamp, static_cast<uint32_t>(time(nullptr)));
    EXPECT_EQ("read 0 " + hexOf("FIRST"), first.ask(readVin()));

    // The writer and a second reader map the existing object: one lock, one counter.
    ASSERT_TRUE(writer.openAccessObject()) << writer.error();
    ASSERT_TRUE(writer.write(pageWithVin("SECOND")));
    Probe second;
    EXPECT_EQ("attach 0", second.ask("attach " + names.page + " " + names.lock));
    EXPECT_EQ("read 0 " + hexOf("SECOND"), second.ask(readVin()));
    EXPECT_EQ(1u, viewAccessObject(names.lock).changeCounter);

    // A second attach while attached only refreshes.
    EXPECT_EQ("attach 0", first.ask("attach " + names.page + " " + names.lock));
    EXPECT_EQ("read 0 " + hexOf("SECOND"), first.ask(readVin()));
}

TEST(PageReaderTest, UpdateCopiesOnlyAfterTheCounterMoves) {
    hu::testing::TempRoot root;
    Logger logger(root);
    Names names;
    PageWriter writer(names.page, names.lock);
    ASSERT_TRUE(writer.open(pageWithVin("OLD")));
    Probe reader;
    ASSERT_EQ("attach 0", reader.ask("attach " + names.page + " " + names.lock));

    ASSERT_TRUE(writer.write(pageWithVin("NEW"), false));
    EXPECT_EQ("update 0", reader.ask("update"));
    EXPECT_EQ("read 0 " + hexOf("OLD"), reader.ask(readVin()));

    ASSERT_TRUE(writer.write(pageWithVin("NEW")));
    EXPECT_EQ("update 0", reader.ask("update"));
    EXPECT_EQ("read 0 " + hexOf("NEW"), reader.ask(readVin()));

    // A copy that fails the header check: 8, and the copy reads as a page of another version.
    ASSERT_TRUE(writer.write(pageWithVin("BAD", 2)));
    EXPECT_EQ("update 8", reader.ask("update"));
    EXPECT_EQ("read 3 ", reader.ask(readVin()));
    logger.waitFor("DorerPageGetLib init failed. DorerPage version mismatch.");
    std::vector<hu::slog::Record> records = logger.records();
    auto found = std::find_if(records.begin(), records.end(),
                              [](const auto& r) { return r.text == "DorerPage version = 2, lookup table size = 6"; });
    ASSERT_NE(records.end(), found);
    EXPECT_EQ(0x100002, found->opcode);
    EXPECT_EQ(5, found->severity);
}

TEST(PageReaderTest, CounterThatWentBackIsNotCopiedUntilItPassesTheCopysAgain) {
    hu::testing::TempRoot root;
    Names names;
    PageWriter writer(names.page, names.lock);
    ASSERT_TRUE(writer.open(pageWithVin("OLD")));
    Probe reader;
    ASSERT_EQ("attach 0", reader.ask("attach " + names.page + " " + names.lock));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(writer.write(pageWithVin("BEFORE")));
    EXPECT_EQ("update 0", reader.ask("update"));
    EXPECT_EQ("read 0 " + hexOf("BEFORE"), reader.ask(readVin()));

    restartCounter(names.lock);
    // Counters 1 to 3 are not past the copy's 3; the fourth write is.
    for (int counter = 1; counter <= 4; ++counter) {
        const std::string vin = "AFTER" + std::to_string(counter);
        ASSERT_TRUE(writer.write(pageWithVin(vin)));
        ASSERT_EQ(static_cast<uint32_t>(counter), writer.changeCounter());
        EXPECT_EQ("update 0", reader.ask("update"));
        EXPECT_EQ("read 0 " + hexOf(counter <= 3 ? "BEFORE" : vin), reader.ask(readVin())) << counter;
    }
}

TEST(PageReaderTest, EmptyPageNameFailsAndALaterValidAttachSucceeds) {
    hu::testing::TempRoot root;
    Names names;
    PageWriter writer(names.page, names.lock);
    ASSERT_TRUE(writer.open(pageWithVin("VIN")));
    Probe reader;
    EXPECT_EQ("attach 11", reader.ask("attach - " + names.lock));
    EXPECT_EQ("update 5", reader.ask("update"));
    EXPECT_EQ("attach 0", reader.ask("attach " + names.page + " " + names.lock));
    EXPECT_EQ("read 0 " + hexOf("VIN"), reader.ask(readVin()));
}

TEST(PageReaderTest, MissingPageGives5AndTheWarningAndLeavesTheAccessObjectAlone) {
    hu::testing::TempRoot root;
    Logger logger(root);
    Names names;
    Probe reader;
    EXPECT_EQ("attach 5", reader.ask("attach " + names.page + " " + names.lock));
    EXPECT_EQ(-1, viewAccessObject(names.lock).size);

    std::string text = page_test::pagePrefix(reader.process().pid());
    logger.waitFor("to be created");
    std::vector<hu::slog::Record> records = logger.records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(0x100002, records[0].opcode);
    EXPECT_EQ(3, records[0].severity);
    EXPECT_EQ(0u, records[0].text.find(text)) << records[0].text;
    EXPECT_NE(std::string::npos,
              records[0].text.find(",F=SYSETPAGE_OPEN_SHARED_MEMORY_RONLY()] WARNING: shm_open('" + names.page +
                                   "'): failed as shared memory object does not exist, to be created"))
        << records[0].text;
}

TEST(PageReaderTest, PageSmallerThanTheCopyIsRefused) {
    hu::testing::TempRoot root;
    Names names;
    int fd = shm_open(names.page.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ftruncate(fd, 100));
    close(fd);
    Probe reader;
    EXPECT_EQ("attach 5", reader.ask("attach " + names.page + " " + names.lock));
}

}  // namespace
