// Checked files and the partition storage: what survives, what is recognised as damaged, and
// that damaged content is never used nor destroyed.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DSYSDorerStorageType.h"
#include "catalogue_rules.h"
#include "checked_file.h"
#include "hu_testing.h"
#include "partition_storage.h"

namespace {

using namespace hu::sysetsrv;
using hu::testing::readFile;
using hu::testing::TempRoot;
using hu::testing::writeFile;
using Bytes = std::vector<uint8_t>;

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(CheckedFileTest, ReadsBackWhatWasWrittenAndLeavesNoTemporary) {
    TempRoot root;
    std::string path = root.path() + "/record";
    std::string error;
    ASSERT_TRUE(writeCheckedFile(path, {1, 2, 3}, error)) << error;
    ASSERT_TRUE(writeCheckedFile(path, {4, 5}, error)) << error;
    Bytes content;
    EXPECT_EQ(FileRead::kValid, readCheckedFile(path, content));
    EXPECT_EQ((Bytes{4, 5}), content);
    EXPECT_FALSE(exists(path + ".tmp"));
    EXPECT_EQ(FileRead::kAbsent, readCheckedFile(root.path() + "/none", content));
}

TEST(CheckedFileTest, EveryKindOfDamageIsRecognised) {
    TempRoot root;
    std::string path = root.path() + "/record";
    const std::string framed = asText(frameContent({10, 20, 30, 40}));
    std::string flipped = framed;
    flipped[9] ^= 0x01;
    std::string wrongMagic = framed;
    wrongMagic[0] = 'X';
    const std::string damaged[] = {
        "", framed.substr(0, framed.size() - 1), framed + "x", flipped, wrongMagic, std::string(64, '\0'),
    };
    for (const std::string& content : damaged) {
        writeFile(path, content);
        Bytes read{99};
        EXPECT_EQ(FileRead::kDamaged, readCheckedFile(path, read)) << content.size();
        EXPECT_EQ(Bytes{99}, read);
    }
}

class PartitionStorageTest : public ::testing::Test {
protected:
    TempRoot root;
    std::string dir = root.path() + "/data";
    CatalogueRules rules;
    PageBlock vin{0xF0001002, {'W', 'V', 'W'}};

    PartitionStorage loaded() {
        PartitionStorage storage(dir);
        storage.load(rules);
        return storage;
    }
    static const Partition& flash(const PartitionStorage& storage) { return storage.partitions()[0]; }
};

TEST_F(PartitionStorageTest, WrittenPartitionsAndChangeIdSurviveARestart) {
    std::string error;
    {
        PartitionStorage storage(dir);
        ASSERT_TRUE(storage.prepare(error)) << error;
        storage.load(rules);
        EXPECT_EQ(-1, storage.lastChangeId());
        EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eAvailable, flash(storage).condition);
        ASSERT_TRUE(storage.write(DSYSDorerTypes::Flash, {vin}, error)) << error;
        ASSERT_TRUE(storage.write(DSYSDorerTypes::Flash, {vin}, error)) << error;
        ASSERT_TRUE(storage.writeLastChangeId(7, error)) << error;
    }
    PartitionStorage storage = loaded();
    const Partition& partition = flash(storage);
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eAvailable, partition.condition);
    EXPECT_TRUE(partition.present);
    EXPECT_EQ(2, partition.eraseCounter);
    EXPECT_EQ(6u + vin.bytes.size(), partition.dataSize);
    ASSERT_EQ(1u, partition.blocks.size());
    EXPECT_EQ(vin, partition.blocks[0]);
    EXPECT_EQ(7, storage.lastChangeId());
    EXPECT_FALSE(storage.partitions()[1].present);
}

TEST_F(PartitionStorageTest, UntrustworthyPartitionsAreReportedAndNeverUsed) {
    std::string error;
    PartitionStorage writer(dir);
    ASSERT_TRUE(writer.prepare(error));
    writer.load(rules);
    ASSERT_TRUE(writer.write(DSYSDorerTypes::Flash, {vin}, error)) << error;
    std::string good = readFile(writer.pathOf(DSYSDorerTypes::Flash));

    // An intact file whose block belongs to another partition, or is too long for its key.
    ASSERT_TRUE(writer.write(DSYSDorerTypes::Flash, {{7, Bytes(152, 0)}}, error));
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eCorrupted, flash(loaded()).condition);
    ASSERT_TRUE(writer.write(DSYSDorerTypes::Flash, {{0xF0001002, Bytes(18, 1)}}, error));
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eCorrupted, flash(loaded()).condition);

    std::string damaged = good;
    damaged[damaged.size() / 2] ^= 0x40;
    writeFile(writer.pathOf(DSYSDorerTypes::Flash), damaged);
    PartitionStorage storage = loaded();
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eCorrupted, flash(storage).condition);
    EXPECT_FALSE(flash(storage).present);
    EXPECT_TRUE(flash(storage).blocks.empty());

    // Writing the partition again keeps the damaged file aside.
    ASSERT_TRUE(storage.write(DSYSDorerTypes::Flash, {vin}, error)) << error;
    EXPECT_EQ(damaged, readFile(storage.pathOf(DSYSDorerTypes::Flash) + ".rejected"));
    EXPECT_EQ(DSYSDorerAdmin::EPartitionCondition_eAvailable, flash(loaded()).condition);
}

// The record of accepted changes reads back whole; a damaged one is reported and not used.
TEST_F(PartitionStorageTest, AcceptedChangesRecordReadsBackOrIsReportedDamaged) {
    std::string error;
    PartitionStorage writer(dir);
    ASSERT_TRUE(writer.prepare(error));
    SDorerItemChange empty;
    empty.mItemId = 7;
    SDorerItemChange three;
    three.mItemId = 0xF0001002;
    three.mData = CQFBuffer("WVW", 3);
    ASSERT_TRUE(writer.writeAccepted(12, {three, empty}, error)) << error;
    PartitionStorage storage = loaded();
    EXPECT_FALSE(storage.acceptedRecordDamaged());
    EXPECT_EQ(12, storage.acceptedChangeId());
    ASSERT_EQ(2u, storage.accepted().size());
    EXPECT_EQ(three.mItemId, storage.accepted()[0].mItemId);
    EXPECT_EQ(three.mData, storage.accepted()[0].mData);
    EXPECT_EQ(0u, storage.accepted()[1].mData.getSize());

    std::string damaged = readFile(dir + "/accepted");
    damaged[damaged.size() / 2] ^= 0x40;
    writeFile(dir + "/accepted", damaged);
    storage = loaded();
    EXPECT_TRUE(storage.acceptedRecordDamaged());
    EXPECT_EQ(-1, storage.acceptedChangeId());
    EXPECT_TRUE(storage.accepted().empty());
}

}  // namespace
