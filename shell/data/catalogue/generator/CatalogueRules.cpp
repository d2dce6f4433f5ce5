#include "CatalogueRules.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace catalogue {

namespace {

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

template <class T>
void checkAsciiOrder(const std::vector<T>& items, const char* what) {
    for (size_t i = 1; i < items.size(); ++i) {
        if (!(items[i - 1].name < items[i].name)) {
            fail(items[i].line, items[i].name, std::string(what) + " out of ASCII order or repeated");
        }
    }
}

bool hasLowerCase(const std::string& name) {
    return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

void checkVersions(const SCatalogue& catalogue) {
    static const char* const kKinds[] = {"coding", "adjust", "key"};
    for (int kind = 0; kind < 3; ++kind) {
        if (!catalogue.hasVersion[kind]) fail(0, std::string("version ") + kKinds[kind], "missing");
    }
    if (!catalogue.hasAdjustVersion) fail(0, "adjust version", "missing");
}

// Which bits of each block byte are taken, and by whom.
class CBlockBits {
public:
    explicit CBlockBits(const SBlock& block) : mBlock(block), mOwners(block.length * 8) {}

    void take(const SFunction& function, uint32_t byte, uint8_t mask) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((mask & (1u << bit)) == 0) continue;
            const SFunction*& owner = mOwners[byte * 8 + bit];
            if (owner != nullptr) {
                fail(function.line, mBlock.name + "." + function.name,
                     "shares bits of byte " + std::to_string(byte) + " with " + owner->name);
            }
            owner = &function;
        }
    }

private:
    const SBlock& mBlock;
    std::vector<const SFunction*> mOwners;
};

// A value (or default) of the function: its size, and for a bit field a value that fits.
void checkFits(const SFunction& function, const Bytes& bytes, int line, const std::string& item) {
    if (bytes.size() != fieldLength(function.id)) fail(line, item, "size differs from the function's size");
    if (!isMultiByte(function.id)) {
        const uint8_t mask = maskOf(function.id);
        if (bytes[0] > (mask >> shiftOf(mask))) fail(line, item, "does not fit the field");
    }
}

void checkFunction(const SBlock& block, const SFunction& function, CBlockBits& bits) {
    const std::string item = block.name + "." + function.name;
    const uint32_t id = function.id;
    if ((id >> 30) != 1) fail(function.line, item, hex(id) + " is not a coding function id");
    if (blockOf(id) != block.number) fail(function.line, item, hex(id) + " names another block");
    const uint32_t byte = byteOf(id);
    const uint32_t length = fieldLength(id);
    if (length == 0 || byte + length > block.length) fail(function.line, item, hex(id) + " lies outside its block");
    if (isMultiByte(id)) {
        for (uint32_t i = 0; i < length; ++i) bits.take(function, byte + i, 0xFF);
    } else {
        if ((id & 7u) != 0 || maskOf(id) == 0) fail(function.line, item, hex(id) + " has no valid bit mask");
        bits.take(function, byte, maskOf(id));
    }
    std::set<std::string> names;
    for (const SValue& value : function.values) {
        const std::string valueItem = item + "." + value.name;
        if (!names.insert(value.name).second) fail(value.line, valueItem, "value name repeated");
        if (hasLowerCase(value.name)) fail(value.line, valueItem, "value names are upper case");
        checkFits(function, value.bytes, value.line, valueItem);
    }
    if (function.hasDefault) checkFits(function, function.defaultValue, function.line, item + " default");
}

void checkBlocks(const SCatalogue& catalogue) {
    checkAsciiOrder(catalogue.blocks, "block");
    std::set<uint32_t> numbers;
    for (const SBlock& block : catalogue.blocks) {
        if (block.number < 1 || block.number > 63) fail(block.line, block.name, "block number must be 1..63");
        if (!numbers.insert(block.number).second) fail(block.line, block.name, "block number repeated");
        if (block.length == 0 || block.length > 0xFFFF - 2) fail(block.line, block.name, "bad data length");
        CBlockBits bits(block);
        std::set<std::string> names;
        uint32_t values = 0;
        for (const SFunction& function : block.functions) {
            if (!names.insert(function.name).second) fail(function.line, block.name + "." + function.name, "repeated");
            checkFunction(block, function, bits);
            values += static_cast<uint32_t>(function.values.size());
        }
        if (block.functions.size() != block.declaredFunctions) {
            fail(block.line, block.name, "has " + std::to_string(block.functions.size()) + " functions, declared " +
                                             std::to_string(block.declaredFunctions));
        }
        if (values != block.declaredValues) {
            fail(block.line, block.name,
                 "has " + std::to_string(values) + " named values, declared " + std::to_string(block.declaredValues));
        }
    }
}

// Finds the item a mirror key names: a key, a block or block.function.
class CMirrorTargets {
public:
    explicit CMirrorTargets(SCatalogue& catalogue) {
        for (SKey& key : catalogue.keys) mTargets[key.name] = {&key.mirrorId, key.id, key.defaultValue};
        for (SBlock& block : catalogue.blocks) {
            mTargets[block.name] = {&block.mirrorId, block.number, blockDefault(block)};
            for (SFunction& function : block.functions) {
                mTargets[block.name + "." + function.name] = {&function.mirrorId, function.id, functionDefault(function)};
            }
        }
    }
    void link(SKey& key) {
        auto it = mTargets.find(key.mirrors);
        if (it == mTargets.end()) fail(key.line, key.name, "mirrors unknown item '" + key.mirrors + "'");
        STarget& target = it->second;
        if (*target.mirrorId != kNoId) fail(key.line, key.name, key.mirrors + " is mirrored twice");
        *target.mirrorId = key.id;
        key.sourceId = target.id;
        if (!key.hasDefault) key.defaultValue = target.defaultValue;
    }

private:
    struct STarget {
        uint32_t* mirrorId;
        uint32_t id;
        Bytes defaultValue;
    };
    std::map<std::string, STarget> mTargets;
};

void checkKeys(SCatalogue& catalogue) {
    checkAsciiOrder(catalogue.keys, "key");
    std::set<uint32_t> ids;
    std::set<int32_t> slots;
    CMirrorTargets targets(catalogue);
    for (SKey& key : catalogue.keys) {
        if ((key.id >> 30) != 3) fail(key.line, key.name, hex(key.id) + " is not a key id");
        if (!ids.insert(key.id).second) fail(key.line, key.name, hex(key.id) + " repeated");
        if (key.size == 0 || key.size > 0xFFFF) fail(key.line, key.name, "bad size");
        const bool early = key.storageType == 8;
        if (early != (key.slot >= 0)) fail(key.line, key.name, "an Early key, and only one, has a slot");
        if (early && (key.slot > 7 || !slots.insert(key.slot).second)) {
            fail(key.line, key.name, "slot must be a free slot 0..7");
        }
        if (!key.mirrors.empty()) {
            if (!early) fail(key.line, key.name, "a mirror key is an Early key");
            targets.link(key);
        }
        if (key.defaultValue.empty()) fail(key.line, key.name, "needs a default");
        if (key.defaultValue.size() > key.size) fail(key.line, key.name, "default longer than the key");
    }
}

void checkAdjust(SCatalogue& catalogue) {
    std::vector<SAdjust>& nodes = catalogue.adjust;
    if (nodes.empty()) fail(0, "adjust", "no adjust block");
    const SAdjust& top = nodes.front();
    if (!top.isStructure || top.depth != 0 || top.offset != 0 || top.length < 12) {
        fail(top.line, top.name, "the adjust block is one structure at offset 0 with its 12-byte header");
    }
    std::vector<size_t> parents;  // open structures, by depth
    std::vector<std::pair<uint32_t, const SAdjust*>> leaves;
    for (size_t i = 0; i < nodes.size(); ++i) {
        SAdjust& node = nodes[i];
        if (i > 0 && node.depth == 0) fail(node.line, node.name, "only the adjust block is at the top");
        if (node.depth > static_cast<int>(parents.size())) fail(node.line, node.name, "indented too far");
        parents.resize(node.depth);
        if (!parents.empty()) {
            SAdjust& parent = nodes[parents.back()];
            if (node.offset < parent.offset || node.offset + node.length > parent.offset + parent.length) {
                fail(node.line, node.name, "lies outside " + parent.name);
            }
            ++parent.childCount;
        }
        if (node.length == 0 || node.length > 0xFFFF || node.offset > 0x3FFF) fail(node.line, node.name, "bad range");
        if (node.isStructure) {
            parents.push_back(i);
        } else {
            if (node.hasDefault && node.defaultValue.size() != node.length) {
                fail(node.line, node.name, "default size differs from the leaf's length");
            }
            leaves.push_back({node.offset, &node});
        }
    }
    std::sort(leaves.begin(), leaves.end());
    for (size_t i = 1; i < leaves.size(); ++i) {
        const SAdjust& before = *leaves[i - 1].second;
        if (before.offset + before.length > leaves[i].first) {
            fail(leaves[i].second->line, leaves[i].second->name, "overlaps " + before.name);
        }
    }
    if (!leaves.empty() && leaves.front().first < 12) {
        fail(leaves.front().second->line, leaves.front().second->name, "overlaps the header");
    }
}

void checkLayouts(const SCatalogue& catalogue) {
    std::set<uint32_t> coding;
    for (const SBlock& block : catalogue.blocks) {
        coding.insert(block.number);
        for (const SFunction& function : block.functions) coding.insert(function.id);
    }
    std::set<uint32_t> majors;
    for (const SLayout& layout : catalogue.layouts) {
        const std::string item = "layout " + std::to_string(layout.major);
        if (layout.major == 0 || layout.major > 0xFF || layout.major == catalogue.codingMajor() ||
            !majors.insert(layout.major).second) {
            fail(layout.line, item, "must be another major than the catalogue's, once");
        }
        std::set<uint32_t> listed;
        for (uint32_t id : layout.absent) {
            if (!coding.count(id)) fail(layout.line, item, "absent " + hex(id) + " is not a coding item");
            if (!listed.insert(id).second) fail(layout.line, item, hex(id) + " listed twice");
        }
        for (const SMove& move : layout.moved) {
            if (!coding.count(move.from)) fail(layout.line, item, "moved " + hex(move.from) + " is not a coding item");
            if (!listed.insert(move.from).second) fail(layout.line, item, hex(move.from) + " listed twice");
            if (coding.count(move.to) || (move.to >> 30) != (move.from >> 30)) {
                fail(layout.line, item, "moved " + hex(move.from) + " to " + hex(move.to) + ", a place this layout uses");
            }
        }
        if (layout.absent.size() != layout.declaredAbsent || layout.moved.size() != layout.declaredMoved) {
            fail(layout.line, item, "lists " + std::to_string(layout.absent.size()) + " absent and " +
                                        std::to_string(layout.moved.size()) + " moved items, not as declared");
        }
    }
}

}  // namespace

Bytes blockDefault(const SBlock& block) {
    Bytes data(block.length, 0);
    for (const SFunction& function : block.functions) {
        const Bytes value = functionDefault(function);
        if (isMultiByte(function.id)) {
            std::copy(value.begin(), value.end(), data.begin() + byteOf(function.id));
        } else {
            const uint8_t mask = maskOf(function.id);
            data[byteOf(function.id)] |= static_cast<uint8_t>((value[0] << shiftOf(mask)) & mask);
        }
    }
    return data;
}

Bytes functionDefault(const SFunction& function) {
    if (function.hasDefault) return function.defaultValue;
    return Bytes(fieldLength(function.id), 0);
}

void check(SCatalogue& catalogue) {
    checkVersions(catalogue);
    checkBlocks(catalogue);
    checkKeys(catalogue);
    checkAdjust(catalogue);
    checkLayouts(catalogue);
}

}  // namespace catalogue
