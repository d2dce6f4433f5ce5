// catalogue_gen refuses definitions that break a catalogue rule, naming the item.
#include <gtest/gtest.h>

#include <string>

#include "hu_testing.h"

namespace {

using hu::testing::TempRoot;

const char kValid[] = R"(version coding 0x060C
version adjust 0x0002
version key 0x0000
key Alpha 0xF0000001 4 Flash UInt32 default 0x01
key Mirror 0xE0000001 1 Early UInt8 slot 0 mirrors BLOCK.FLAG
block BLOCK 5 0x3001 4 functions 2 values 2
  function FLAG 0x42800008
    value NICHT_AKTIV 0x00
    value AKTIV 0x01
  function WORD 0x62800802
adjust version 0x02
structure AdjustBlock 0 16
  leaf E2P.Word 12 4 UInt8 default 0x01 0x02 0x03 0x04
layout 4 absent 1 moved 0
  absent 0x62800802
)";

struct SBrokenCase {
    const char* what;
    const char* replace;
    const char* with;
    const char* message;  // expected in the error output
};

const SBrokenCase kBroken[] = {
    {"overlapping bits", "function WORD 0x62800802", "function WORD 0x42800018", "BLOCK.WORD: shares bits of byte 0 with FLAG"},
    {"an id outside its block", "function WORD 0x62800802", "function WORD 0x62801802", "BLOCK.WORD: 0x62801802 lies outside its block"},
    {"an id of another block", "function WORD 0x62800802", "function WORD 0x63000802", "BLOCK.WORD: 0x63000802 names another block"},
    {"a function count", "functions 2", "functions 3", "BLOCK: has 2 functions, declared 3"},
    {"a value count", "values 2", "values 1", "BLOCK: has 2 named values, declared 1"},
    {"a value that does not fit", "value AKTIV 0x01", "value AKTIV 0x02", "BLOCK.FLAG.AKTIV: does not fit the field"},
    {"a lower-case value name", "value AKTIV", "value Aktiv", "BLOCK.FLAG.Aktiv: value names are upper case"},
    {"keys out of order", "key Alpha", "key Zulu", "Mirror: key out of ASCII order"},
    {"a key default too long", "default 0x01\n", "default 0x01*5\n", "Alpha: default longer than the key"},
    {"an unknown mirror", "mirrors BLOCK.FLAG", "mirrors BLOCK.NONE", "Mirror: mirrors unknown item 'BLOCK.NONE'"},
    {"a leaf outside its structure", "leaf E2P.Word 12 4", "leaf E2P.Word 14 4", "E2P.Word: lies outside AdjustBlock"},
    {"a layout count", "absent 1 moved 0", "absent 2 moved 0", "layout 4: lists 1 absent and 0 moved items, not as declared"},
    {"an absent id not in the catalogue", "  absent 0x62800802", "  absent 0x62800803", "absent 0x62800803 is not a coding item"},
    {"an unreadable number", "0x3001", "0x30zz", "BLOCK: '0x30zz' is not a number"},
};

class CatalogueGenerator : public ::testing::Test {
protected:
    hu::testing::RunResult generate(const std::string& definitions) {
        const std::string path = mRoot.path() + "/items.def";
        hu::testing::writeFile(path, definitions);
        return hu::testing::run({CATALOGUE_GEN, path, mRoot.path()});
    }
    TempRoot mRoot;
};

TEST_F(CatalogueGenerator, AcceptsValidDefinitions) {
    hu::testing::RunResult result = generate(kValid);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    const std::string image = hu::testing::readFile(mRoot.path() + "/DorerCatalogueDefaultsImage.cpp");
    // Header 3, four table entries of 6, then 1 + 1 key bytes, 2 + 4 block bytes, 16 adjust bytes.
    EXPECT_NE(image.find("dorerDefaults_page[51]"), std::string::npos) << image;
}

TEST_F(CatalogueGenerator, RefusesBrokenRules) {
    for (const SBrokenCase& c : kBroken) {
        std::string definitions = kValid;
        const size_t at = definitions.find(c.replace);
        ASSERT_NE(at, std::string::npos) << c.what;
        definitions.replace(at, std::string(c.replace).size(), c.with);
        hu::testing::RunResult result = generate(definitions);
        EXPECT_EQ(result.exit_code, 1) << c.what;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.what << ": " << result.err;
    }
}

}  // namespace
