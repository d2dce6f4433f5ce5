#include "partition_storage.h"

#include <cstdio>

#include "DSYSDorerStorageType.h"
#include "DorerItemId.h"
#include "checked_file.h"
#include "hu/path.h"

namespace hu::sysetsrv {

namespace {

constexpr const char* kChangeIdFile = "changeid";
constexpr const char* kAcceptedFile = "accepted";  // last change id i32, then per change: id u32, length u16, bytes
constexpr size_t kPartitionHeaderSize = 12;  // storage type u32, data version u16, erase counter u16, reserved u32
constexpr size_t kBlockHeaderSize = 6;       // key u32, length u16

void putLe(std::vector<uint8_t>& out, uint32_t value, size_t count) {
    for (size_t i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t getLe(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i) value = (value << 8) | bytes[at + i - 1];
    return value;
}

std::vector<uint8_t> encodePartition(const Partition& partition, uint16_t eraseCounter,
                                     const std::vector<PageBlock>& blocks) {
    std::vector<uint8_t> out;
    putLe(out, partition.storage, 4);
    putLe(out, partition.dataVersion, 2);
    putLe(out, eraseCounter, 2);
    putLe(out, 0, 4);
    for (const PageBlock& block : blocks) {
        putLe(out, block.key, 4);
        putLe(out, static_cast<uint32_t>(block.bytes.size()), 2);
        out.insert(out.end(), block.bytes.begin(), block.bytes.end());
    }
    return out;
}

// False when the content is not a partition of this storage type or a block leaves it.
bool decodePartition(const std::vector<uint8_t>& content, Partition& partition) {
    if (content.size() < kPartitionHeaderSize || getLe(content, 0, 4) != partition.storage) return false;
    partition.storedVersion = static_cast<uint16_t>(getLe(content, 4, 2));
    partition.eraseCounter = static_cast<uint16_t>(getLe(content, 6, 2));
    partition.blocks.clear();
    for (size_t at = kPartitionHeaderSize; at < content.size();) {
        if (content.size() - at < kBlockHeaderSize) return false;
        uint32_t key = getLe(content, at, 4);
        size_t length = getLe(content, at + 4, 2);
        at += kBlockHeaderSize;
        if (length > content.size() - at) return false;
        partition.blocks.push_back({key, std::vector<uint8_t>(content.begin() + static_cast<std::ptrdiff_t>(at),
                                                              content.begin() + static_cast<std::ptrdiff_t>(at + length))});
        at += length;
    }
    partition.dataSize = static_cast<uint16_t>(content.size() - kPartitionHeaderSize);
    return true;
}

// False when a change leaves the content.
bool decodeAccepted(const std::vector<uint8_t>& content, int32_t& lastChangeId, std::vector<SDorerItemChange>& changes) {
    if (content.size() < 4) return false;
    lastChangeId = static_cast<int32_t>(getLe(content, 0, 4));
    for (size_t at = 4; at < content.size();) {
        if (content.size() - at < kBlockHeaderSize) return false;
        const uint32_t id = getLe(content, at, 4);
        const size_t length = getLe(content, at + 4, 2);
        at += kBlockHeaderSize;
        if (length > content.size() - at) return false;
        changes.push_back({id, CQFBuffer(content.data() + at, length)});
        at += length;
    }
    return true;
}

bool blocksFit(const Partition& partition, const CatalogueRules& rules) {
    for (const PageBlock& block : partition.blocks) {
        if (rules.partitionOf(block.key) != partition.storage || !rules.blockFits(block)) return false;
    }
    return true;
}

}  // namespace

PartitionStorage::PartitionStorage(std::string directory) : directory_(std::move(directory)) {
    partitions_ = {
        {DSYSDorerTypes::Flash, 0, "flash.part", kCompiledVersions.mQfsdVersion},
        {DSYSDorerTypes::Eeprom, 1, "eeprom.part", kCompiledVersions.mCbVersion},
        {DSYSDorerTypes::Adjust, 2, "adjust.part", kCompiledVersions.mAdjustVersion},
        {DSYSDorerTypes::Early, 3, "early.part", kCompiledVersions.mQfsdVersion},
    };
}

bool PartitionStorage::prepare(std::string& error) {
    if (makeDirs(directory_)) return true;
    error = "cannot create the data directory " + directory_;
    return false;
}

std::string PartitionStorage::pathOf(uint32_t storage) const {
    for (const Partition& partition : partitions_) {
        if (partition.storage == storage) return directory_ + "/" + partition.fileName;
    }
    return {};
}

Partition* PartitionStorage::find(uint32_t storage) {
    for (Partition& partition : partitions_) {
        if (partition.storage == storage) return &partition;
    }
    return nullptr;
}

void PartitionStorage::loadPartition(Partition& partition, const CatalogueRules& rules) {
    std::vector<uint8_t> content;
    partition.present = false;
    partition.blocks.clear();
    partition.dataSize = 0;
    partition.storedVersion = 0xFFFF;
    switch (readCheckedFile(pathOf(partition.storage), content)) {
        case FileRead::kAbsent: partition.condition = DSYSDorerAdmin::EPartitionCondition_eAvailable; return;
        case FileRead::kUnreadable: partition.condition = DSYSDorerAdmin::EPartitionCondition_eInAccessible; return;
        case FileRead::kDamaged: partition.condition = DSYSDorerAdmin::EPartitionCondition_eCorrupted; return;
        case FileRead::kValid: break;
    }
    if (!decodePartition(content, partition) || !blocksFit(partition, rules)) {
        partition.condition = DSYSDorerAdmin::EPartitionCondition_eCorrupted;
    } else if (DorerItemId_major(partition.storedVersion) != DorerItemId_major(partition.dataVersion)) {
        partition.condition = DSYSDorerAdmin::EPartitionCondition_eBadVersion;
    } else {
        partition.condition = DSYSDorerAdmin::EPartitionCondition_eAvailable;
        partition.present = true;
        return;
    }
    partition.blocks.clear();  // never use what could not be trusted
    partition.dataSize = 0;
}

void PartitionStorage::load(const CatalogueRules& rules) {
    for (Partition& partition : partitions_) loadPartition(partition, rules);
    std::vector<uint8_t> content;
    lastChangeId_ = -1;
    if (readCheckedFile(directory_ + "/" + kChangeIdFile, content) == FileRead::kValid && content.size() == 4) {
        lastChangeId_ = static_cast<int32_t>(getLe(content, 0, 4));
    }
    acceptedChangeId_ = -1;
    accepted_.clear();
    content.clear();
    const FileRead read = readCheckedFile(directory_ + "/" + kAcceptedFile, content);
    acceptedDamaged_ = read == FileRead::kDamaged || read == FileRead::kUnreadable ||
                       (read == FileRead::kValid && !decodeAccepted(content, acceptedChangeId_, accepted_));
    if (acceptedDamaged_) {
        acceptedChangeId_ = -1;
        accepted_.clear();
    }
}

bool PartitionStorage::write(uint32_t storage, const std::vector<PageBlock>& blocks, std::string& error) {
    Partition* partition = find(storage);
    if (partition == nullptr) {
        error = "no partition of storage type " + std::to_string(storage);
        return false;
    }
    std::string path = pathOf(storage);
    if (partition->condition == DSYSDorerAdmin::EPartitionCondition_eCorrupted || partition->condition == DSYSDorerAdmin::EPartitionCondition_eBadVersion) {
        std::rename(path.c_str(), (path + ".rejected").c_str());
    }
    uint16_t eraseCounter = static_cast<uint16_t>(partition->eraseCounter + 1);
    std::vector<uint8_t> content = encodePartition(*partition, eraseCounter, blocks);
    if (!writeCheckedFile(path, content, error)) return false;
    partition->condition = DSYSDorerAdmin::EPartitionCondition_eAvailable;
    partition->present = true;
    partition->storedVersion = partition->dataVersion;
    partition->eraseCounter = eraseCounter;
    partition->dataSize = static_cast<uint16_t>(content.size() - kPartitionHeaderSize);
    partition->blocks = blocks;
    return true;
}

bool PartitionStorage::writeLastChangeId(int32_t changeId, std::string& error) {
    std::vector<uint8_t> content;
    putLe(content, static_cast<uint32_t>(changeId), 4);
    if (!writeCheckedFile(directory_ + "/" + kChangeIdFile, content, error)) return false;
    lastChangeId_ = changeId;
    return true;
}

bool PartitionStorage::writeAccepted(int32_t lastChangeId, const std::vector<SDorerItemChange>& changes,
                                     std::string& error) {
    std::vector<uint8_t> content;
    putLe(content, static_cast<uint32_t>(lastChangeId), 4);
    for (const SDorerItemChange& change : changes) {
        putLe(content, change.mItemId, 4);
        putLe(content, static_cast<uint32_t>(change.mData.getSize()), 2);
        if (change.mData.getSize() != 0) {
            content.insert(content.end(), change.mData.getData(), change.mData.getData() + change.mData.getSize());
        }
    }
    if (!writeCheckedFile(directory_ + "/" + kAcceptedFile, content, error)) return false;
    acceptedChangeId_ = lastChangeId;
    accepted_ = changes;
    return true;
}

}  // namespace hu::sysetsrv
