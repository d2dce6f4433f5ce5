#include "CatalogueWriters.h"
#include "SourceFile.h"

namespace catalogue {

namespace {

void writeKeys(CSourceFile& out, const SCatalogue& catalogue) {
    out.line("const SDorerCatalogueKey kKeys[] = {");
    for (const SKey& key : catalogue.keys) {
        out.line("    {\"%s\", 0x%08Xu, %uu, %uu, %uu, %d, 0x%08Xu, 0x%08Xu},", key.name.c_str(), key.id, key.size,
                 key.storageType, key.valueType, key.slot, key.sourceId, key.mirrorId);
    }
    out.line("};");
}

// Every named value's bytes, in catalogue order, in one constant array.
void writeValueBytes(CSourceFile& out, const SCatalogue& catalogue) {
    Bytes bytes;
    for (const SBlock& block : catalogue.blocks) {
        for (const SFunction& function : block.functions) {
            for (const SValue& value : function.values) bytes.insert(bytes.end(), value.bytes.begin(), value.bytes.end());
        }
    }
    out.line("const uint8_t kValueBytes[] = {");
    out.byteRows(bytes.data(), bytes.size());
    out.line("};");
}

void writeBlock(CSourceFile& out, const SBlock& block, size_t& valueOffset) {
    const char* name = block.name.c_str();
    out.blank();
    out.line("const SDorerCatalogueFunction kFunctions_%s[] = {", name);
    for (const SFunction& function : block.functions) {
        out.line("    {\"%s\", 0x%08Xu, %uu, %zuu, 0x%08Xu},", function.name.c_str(), function.id, fieldLength(function.id),
                 function.values.size(), function.mirrorId);
    }
    out.line("};");
    bool hasValues = false;
    for (const SFunction& function : block.functions) hasValues = hasValues || !function.values.empty();
    if (hasValues) {
        out.line("const SDorerCatalogueValue kValues_%s[] = {", name);
        for (const SFunction& function : block.functions) {
            for (const SValue& value : function.values) {
                out.line("    {\"%s\", kValueBytes + %zu},", value.name.c_str(), valueOffset);
                valueOffset += value.bytes.size();
            }
        }
        out.line("};");
    }
    out.line("const SDorerCatalogueBlock kBlock_%s = {\"%s\", %uu, 0x%04Xu, %uu, 0x%08Xu, %zuu, kFunctions_%s, %s%s};", name,
             name, block.number, block.address, block.length, block.mirrorId, block.functions.size(), name,
             hasValues ? "kValues_" : "nullptr", hasValues ? name : "");
}

void writeAdjust(CSourceFile& out, const SCatalogue& catalogue) {
    out.blank();
    out.line("const SDorerCatalogueAdjust kAdjust[] = {");
    for (const SAdjust& node : catalogue.adjust) {
        out.line("    {\"%s\", 0x%08Xu, %uu, %uu, %uu, %s},", node.name.c_str(), adjustId(node.offset, node.length),
                 node.length, node.valueType, node.childCount, node.isStructure ? "true" : "false");
    }
    out.line("};");
}

}  // namespace

void writeTree(const SCatalogue& catalogue, const std::string& path) {
    CSourceFile out(path);
    out.line("#include \"DorerCatalogue.h\"");
    out.line("#include \"DorerCatalogueBuilder.h\"");
    out.blank();
    out.line("namespace {");
    out.blank();
    writeKeys(out, catalogue);
    out.blank();
    writeValueBytes(out, catalogue);
    size_t valueOffset = 0;
    for (const SBlock& block : catalogue.blocks) writeBlock(out, block, valueOffset);
    writeAdjust(out, catalogue);
    out.blank();
    out.line("void buildKeys(DorerDataNode& root) { DorerCatalogue_addKeys(root, kKeys, %zuu); }",
             catalogue.keys.size());
    for (const SBlock& block : catalogue.blocks) {
        out.line("void build_%s(DorerDataNode& root) { DorerCatalogue_addBlock(root, kBlock_%s); }",
                 block.name.c_str(), block.name.c_str());
    }
    out.line("void buildAdjust(DorerDataNode& root) { DorerCatalogue_addAdjust(root, kAdjust, %zuu); }",
             catalogue.adjust.size());
    out.blank();
    out.line("}  // namespace");
    out.blank();
    out.line("uint32_t DorerCatalogue_rootChildCount() { return %zuu; }", catalogue.keys.size() + catalogue.blocks.size() + 1);
    out.blank();
    out.line("void DorerCatalogue_build(DorerDataNode& root) {");
    out.line("    buildKeys(root);");
    for (const SBlock& block : catalogue.blocks) out.line("    build_%s(root);", block.name.c_str());
    out.line("    buildAdjust(root);");
    out.line("}");
    out.write();
}

}  // namespace catalogue
