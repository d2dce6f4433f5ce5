#include <algorithm>
#include <map>

#include "CatalogueLayouts.h"
#include "CatalogueWriters.h"
#include "SourceFile.h"

namespace catalogue {

namespace {

using Answers = std::map<uint32_t, std::string>;

std::string hexConstant(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08Xu", value);
    return text;
}

// A balanced tree of comparisons against the sorted ids; each leaf tests one id.
void writeDecisionTree(CSourceFile& out, const std::vector<std::pair<uint32_t, std::string>>& answers, size_t begin,
               size_t end, const std::string& otherwise, int depth) {
    const std::string indent(4 * depth, ' ');
    if (begin == end) {
        out.line("%sreturn %s;", indent.c_str(), otherwise.c_str());
    } else if (end - begin == 1) {
        out.line("%sreturn id == 0x%08Xu ? %s : %s;", indent.c_str(), answers[begin].first,
                 answers[begin].second.c_str(), otherwise.c_str());
    } else {
        const size_t middle = begin + (end - begin) / 2;
        out.line("%sif (id < 0x%08Xu) {", indent.c_str(), answers[middle].first);
        writeDecisionTree(out, answers, begin, middle, otherwise, depth + 1);
        out.line("%s}", indent.c_str());
        writeDecisionTree(out, answers, middle, end, otherwise, depth);
    }
}

void writeFunction(CSourceFile& out, const char* signature, const Answers& answers, const std::string& otherwise) {
    const std::vector<std::pair<uint32_t, std::string>> sorted(answers.begin(), answers.end());
    out.blank();
    out.line("%s {", signature);
    writeDecisionTree(out, sorted, 0, sorted.size(), otherwise, 1);
    out.line("}");
}

Answers itemSizes(const SCatalogue& catalogue) {
    Answers sizes;
    auto add = [&](uint32_t id, uint32_t size, int line, const std::string& name) {
        auto inserted = sizes.emplace(id, std::to_string(size) + "u");
        if (!inserted.second && inserted.first->second != std::to_string(size) + "u") {
            fail(line, name, hexConstant(id) + " already names an item of another size");
        }
    };
    for (const SKey& key : catalogue.keys) add(key.id, key.size, key.line, key.name);
    for (const SBlock& block : catalogue.blocks) {
        add(block.number, block.length, block.line, block.name);
        for (const SFunction& function : block.functions) {
            add(function.id, fieldLength(function.id), function.line, block.name + "." + function.name);
        }
    }
    for (const SAdjust& node : catalogue.adjust) add(adjustId(node.offset, node.length), node.length, node.line, node.name);
    return sizes;
}

void writeMirrorKeys(CSourceFile& out, const SCatalogue& catalogue) {
    out.blank();
    out.line("bool DorerCatalogue_isMirrorKey(uint32_t id) {");
    out.line("    switch (id) {");
    for (const SKey& key : catalogue.keys) {
        if (!key.mirrors.empty()) out.line("    case 0x%08Xu:  // %s", key.id, key.name.c_str());
    }
    out.line("        return true;");
    out.line("    default:");
    out.line("        return false;");
    out.line("    }");
    out.line("}");
}

void writeLayouts(CSourceFile& out, const SCatalogue& catalogue) {
    const std::vector<SLayoutPair> pairs = layoutPairs(catalogue);
    out.blank();
    out.line("namespace {");
    for (const SLayoutPair& pair : pairs) {
        Answers answers;
        for (const auto& change : pair.changes) answers[change.first] = hexConstant(change.second);
        char signature[96];
        std::snprintf(signature, sizeof signature, "uint32_t mapId_%u_to_%u(uint32_t id)", pair.expectedMajor,
                      pair.storedMajor);
        writeFunction(out, signature, answers, "id");
    }
    out.blank();
    out.line("}  // namespace");
    out.blank();
    out.line("uint32_t DorerCatalogue_mapId(uint8_t expectedMajor, uint8_t storedMajor, uint32_t id) {");
    out.line("    switch (expectedMajor << 8 | storedMajor) {");
    for (uint32_t major : knownMajors(catalogue)) {
        out.line("    case 0x%02X%02X:", major, major);
        out.line("        return id;");
    }
    for (const SLayoutPair& pair : pairs) {
        out.line("    case 0x%02X%02X:", pair.expectedMajor, pair.storedMajor);
        out.line("        return mapId_%u_to_%u(id);", pair.expectedMajor, pair.storedMajor);
    }
    out.line("    default:");
    out.line("        return 0xFFFFFFFFu;");
    out.line("    }");
    out.line("}");
}

}  // namespace

void writeIdFunctions(const SCatalogue& catalogue, const std::string& path) {
    CSourceFile out(path);
    out.line("#include \"DorerCatalogue.h\"");
    out.line("#include \"dorerDefaults.h\"");
    out.blank();
    out.line("const uint16_t kDorerCatalogueVersions[4] = {0x%04Xu, 0x%04Xu, 0x%04Xu, 0x%04Xu};", catalogue.versions[0],
             catalogue.versions[1], catalogue.versions[2], catalogue.versions[3]);
    writeFunction(out, "uint32_t DorerCatalogue_getSize(uint32_t id)", itemSizes(catalogue), "0u");
    writeMirrorKeys(out, catalogue);
    writeLayouts(out, catalogue);
    out.write();
}

}  // namespace catalogue
