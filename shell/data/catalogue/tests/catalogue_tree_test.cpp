// The dictionary tree the catalogue builds: its composition, counts and the rows the shell's
// commands rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "DorerDataDictionary.h"
#include "DorerItemId.h"
#include "EDorerValueType.h"

namespace {

using Kind = DorerDataNode;

void collect(const DorerDataNodeRef& node, DorerDataNodeList& all) {
    all.push_back(node);
    for (const DorerDataNodeRef& child : node->getChildren()) collect(child, all);
}

class CatalogueTree : public ::testing::Test {
protected:
    void SetUp() override { collect(mRoot, mAll); }

    DorerDataNodeRef child(const std::string& name) const {
        for (const DorerDataNodeRef& node : mRoot->getChildren()) {
            if (node->getName().str() == name) return node;
        }
        return {};
    }
    DorerDataNodeRef function(const std::string& block, const std::string& name) const {
        for (const DorerDataNodeRef& node : child(block)->getChildren()) {
            if (node->getName().str() == name) return node;
        }
        return {};
    }
    static std::string values(const DorerDataNodeRef& function) {
        std::string text;
        for (const DorerDataNodeRef& value : function->getChildren()) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "=0x%02X", value->getValue()[0]);
            text += (text.empty() ? "" : " ") + value->getName().str() + byte;
        }
        return text;
    }

    DorerDataNodeRef mRoot = DorerDataDictionary::getRoot();
    DorerDataNodeList mAll;
};

TEST_F(CatalogueTree, RootHoldsKeysThenBlocksThenTheAdjustBlock) {
    EXPECT_EQ(mAll.size(), 4658u);
    const DorerDataNodeList& children = mRoot->getChildren();
    ASSERT_EQ(children.size(), 97u);
    for (size_t i = 0; i < 77; ++i) EXPECT_EQ(children[i]->getKind(), Kind::Key) << i;
    for (size_t i = 77; i < 96; ++i) EXPECT_EQ(children[i]->getKind(), Kind::Cb) << i;
    EXPECT_EQ(children[96]->getKind(), Kind::AdjStruct);
    EXPECT_EQ(children[96]->getName(), CQFString("AdjustBlock"));
    for (size_t i = 1; i < 96; ++i) {
        if (i == 77) continue;
        EXPECT_LT(children[i - 1]->getName().str(), children[i]->getName().str()) << "ASCII order at " << i;
    }
    std::map<uint32_t, size_t> kinds;
    for (const DorerDataNodeRef& node : mAll) ++kinds[node->getKind()];
    EXPECT_EQ(kinds[Kind::CbCondParam], 3164u);
    EXPECT_EQ(kinds[Kind::AdjStruct], 36u);
    EXPECT_EQ(kinds[Kind::AdjNode], 136u);
}

TEST_F(CatalogueTree, BlocksAsListed) {
    struct SRow {
        const char* name;
        uint32_t number, address, length, functions, values;
    };
    const SRow rows[] = {
        {"AUDIO_TUNER_TRAFFIC", 1, 0x3002, 150, 79, 218},  {"CAF_ID", 2, 0x300F, 8, 1, 1},
        {"DISPLAY_PIP_CONFIG", 3, 0x3005, 150, 88, 175},   {"ECO_VERDANT", 4, 0x3009, 76, 66, 159},
        {"EXBOX", 5, 0x3001, 150, 109, 282},               {"FES", 6, 0x3008, 80, 43, 89},
        {"HMI", 7, 0x3000, 150, 328, 819},                 {"HUD", 16, 0x300C, 80, 35, 81},
        {"KOMBI", 17, 0x300D, 79, 38, 88},                 {"LANGUAGE", 8, 0x3007, 50, 30, 88},
        {"NAVIGATION", 9, 0x3006, 100, 132, 303},          {"SARAH", 10, 0x300A, 50, 37, 216},
        {"SIGNATURE", 11, 0x3010, 132, 1, 1},              {"SYSTEM_EINSTELLUNGEN", 12, 0x3004, 50, 54, 196},
        {"TELEFON_TELEMATIK_ONLINE", 13, 0x3003, 149, 148, 372}, {"TL_ID", 14, 0x300E, 5, 1, 1},
        {"TOUCH_COMMAND", 15, 0x300B, 30, 30, 69},         {"test_cb_0", 62, 0x0000, 1, 3, 6},
        {"test_cb_1", 63, 0x0001, 4, 2, 0},
    };
    for (size_t i = 0; i < 19; ++i) {
        const SRow& row = rows[i];
        const DorerDataNodeRef& block = mRoot->getChildren()[77 + i];
        EXPECT_EQ(block->getName().str(), row.name);
        EXPECT_EQ(block->getId(), row.number) << row.name;
        EXPECT_EQ(block->getAddress(), row.address) << row.name;
        EXPECT_EQ(block->getAddressLength(), row.length) << row.name;
        EXPECT_EQ(block->getSize(), row.length) << row.name;
        EXPECT_EQ(block->getFullSize(), row.length + 2) << row.name;
        EXPECT_EQ(block->getStorageType(), DSYSDorerTypes::Eeprom) << row.name;
        EXPECT_EQ(block->getMirrorId(), row.number == 63 ? 0xEFFFFF02u : kDorerNoId) << row.name;
        EXPECT_EQ(block->getChildren().size(), row.functions) << row.name;
        size_t values = 0;
        for (const DorerDataNodeRef& function : block->getChildren()) {
            values += function->getChildren().size();
            EXPECT_EQ(DorerItemId_blockNumber(function->getId()), row.number) << function->getName().str();
        }
        EXPECT_EQ(values, row.values) << row.name;
    }
}

TEST_F(CatalogueTree, CodingFunctionsAndTheirValues) {
    size_t bitFields = 0, aktivPairs = 0;
    std::map<uint32_t, size_t> multiByteSizes;
    size_t mostValues = 0;
    for (const DorerDataNodeRef& node : mAll) {
        if (node->getKind() != Kind::CbFunction) continue;
        const uint32_t id = node->getId();
        EXPECT_EQ(node->getSize(), DorerItemId_fieldLength(id));
        EXPECT_EQ(node->getStorageType(), DSYSDorerTypes::Eeprom);
        if (DorerItemId_isBitField(id)) {
            ++bitFields;
        } else {
            ++multiByteSizes[node->getSize()];
        }
        const DorerDataNodeList& values = node->getChildren();
        mostValues = std::max(mostValues, values.size());
        for (const DorerDataNodeRef& value : values) {
            EXPECT_EQ(value->getSize(), node->getSize());
            EXPECT_EQ(value->getStorageType(), DSYSDorerTypes::None);
            const std::string& name = value->getName().str();
            EXPECT_FALSE(std::any_of(name.begin(), name.end(), ::islower)) << name;
        }
        if (values.size() == 2 && values[0]->getName() == CQFString("NICHT_AKTIV") &&
            values[1]->getName() == CQFString("AKTIV") && values[0]->getValue()[0] == 0 && values[1]->getValue()[0] == 1) {
            ++aktivPairs;
        }
    }
    EXPECT_EQ(bitFields, 1194u);
    EXPECT_EQ(multiByteSizes, (std::map<uint32_t, size_t>{{2, 26}, {3, 1}, {5, 1}, {8, 1}, {24, 1}, {132, 1}}));
    EXPECT_EQ(mostValues, 57u);
    EXPECT_NEAR(static_cast<double>(aktivPairs), 900.0, 50.0);
}

TEST_F(CatalogueTree, TellingRowsAndTestBlocks) {
    struct SRow {
        const char* block;
        const char* function;
        uint32_t id;
        const char* values;
        uint32_t mirrorId;
    };
    const SRow rows[] = {
        {"test_cb_0", "test_cbfunc_0_0_1bit", 0x5F000008, "TEST_PARAM_0_0_0_OFF=0x00 TEST_PARAM_0_0_0_ON=0x01", kDorerNoId},
        {"test_cb_0", "test_cbfunc_0_2_5bits", 0x5F0007C0, "", 0xEFFFFF01},
        {"test_cb_0", "test_cbfunc_0_1_2bits", 0x5F000030,
         "TEST_PARAM_0_1_0_ZERO=0x00 TEST_PARAM_0_1_1_ONE=0x01 TEST_PARAM_0_1_2_TWO=0x02 TEST_PARAM_0_1_3_THREE=0x03",
         kDorerNoId},
        {"test_cb_1", "test_cbfunc_1_0_1byte", 0x5F8007F8, "", kDorerNoId},
        {"test_cb_1", "test_cbfunc_1_1_3bytes", 0x7F800803, "", kDorerNoId},
        {"HMI", "COMPASS", 0x43802808, "NICHT_AKTIV=0x00 AKTIV=0x01", kDorerNoId},
        {"SYSTEM_EINSTELLUNGEN", "EXTERNER_MOST", 0x46005020, "NICHT_AKTIV=0x00 AKTIV=0x01", 0xE0000002},
        {"SYSTEM_EINSTELLUNGEN", "TRACE", 0x46005FF8, "NICHT_AKTIV=0x00 EXT_TRACING=0x01 INT_TRACING=0x02", 0xE0000004},
        {"EXBOX", "GATEWAYTABLE", 0x42806878,
         "TABLE_0=0x00 TABLE_1=0x01 TABLE_2=0x02 TABLE_3=0x03 TABLE_4=0x04 TABLE_5=0x05 TABLE_6=0x06 TABLE_7=0x07 "
         "TABLE_8=0x08 TABLE_9=0x09",
         0xE0000001},
        {"AUDIO_TUNER_TRAFFIC", "AMPLIFIER_VARIANT", 0x4080EE00, "INTERNAL=0x00 EXTERNAL=0x01 MOST=0x02", 0xE0000003},
        {"TOUCH_COMMAND", "TC_COLOUR_SWITCH_ENSEMBLE", 0x47801B80,
         "NICHT_AKTIV=0x00 10_EINTRAEGE=0x01 7_EINTRAEGE=0x02 11_EINTRAEGE=0x03 6_EINTRAEGE=0x04", kDorerNoId},
        {"TELEFON_TELEMATIK_ONLINE", "PIM_DRIVING_TEXT_LENGTH", 0x46805838,
         "NO_DETAILS=0x00 ONE_PAGE=0x01 UP_TO_THREE_LINES=0x02 NO_BODY_DETAILS=0x03 NO_DETAILS_WITH_BUTTONS=0x04 "
         "WHOLE_TEXT=0x07",
         kDorerNoId},
        {"DISPLAY_PIP_CONFIG", "TEMP_THRESHOLD1", 0x61810002, "WERT_1650=0x06", kDorerNoId},
        {"AUDIO_TUNER_TRAFFIC", "AUDIO_SIGNAL_ROUTING", 0x6081C018, "STANDARD=0x01", kDorerNoId},
    };
    for (const SRow& row : rows) {
        DorerDataNodeRef node = function(row.block, row.function);
        ASSERT_TRUE(node) << row.function;
        EXPECT_EQ(node->getId(), row.id) << row.function;
        EXPECT_EQ(values(node), row.values) << row.function;
        EXPECT_EQ(node->getMirrorId(), row.mirrorId) << row.function;
    }
    EXPECT_EQ(function("DISPLAY_PIP_CONFIG", "TEMP_THRESHOLD1")->getChildren()[0]->getValue()[1], 0x72);
    EXPECT_EQ(function("test_cb_0", "test_cbfunc_0_0_1bit")->getChildren().size(), 2u);
}

TEST_F(CatalogueTree, NamesTheCommandsRelyOn) {
    // A value named by a number, in a field wide enough for the same number as a byte.
    DorerDataNodeRef speed = function("HMI", "SPEED_WARNING_OFFSET");
    ASSERT_TRUE(speed);
    EXPECT_EQ(DorerItemId_bitMask(speed->getId()), 0xFF);
    bool hasTwenty = false;
    for (const DorerDataNodeRef& value : speed->getChildren()) {
        if (value->getName() == CQFString("20")) hasTwenty = value->getValue()[0] != 0x14;
    }
    EXPECT_TRUE(hasTwenty);
    // A function found by its bare name must be unique.
    std::map<std::string, int> functionNames;
    for (const DorerDataNodeRef& node : mAll) {
        if (node->getKind() == Kind::CbFunction) ++functionNames[node->getName().str()];
    }
    EXPECT_EQ(functionNames["COMPASS"], 1);
    EXPECT_EQ(function("HMI", "KOMBI_AR_PRES")->getId(), 0x43808008u);
    EXPECT_EQ(function("EXBOX", "ICAM_PBA")->getId(), 0x42820200u);
}

TEST_F(CatalogueTree, KeysAndTheirMirrors) {
    std::map<uint32_t, DorerDataNodeRef> byId;
    for (const DorerDataNodeRef& node : mAll) {
        if (node->getId() != kDorerNoId && node->getKind() != Kind::AdjNode) byId[node->getId()] = node;
    }
    size_t mirrors = 0;
    for (size_t i = 0; i < 77; ++i) {
        const DorerDataNodeRef& key = mRoot->getChildren()[i];
        EXPECT_EQ(DorerItemId_kind(key->getId()), eDorerItemKindKey);
        EXPECT_NE(std::string(DorerValueType_getName(key->getValueType())), "UNEXPECTED");
        const bool early = key->getStorageType() == DSYSDorerTypes::Early;
        EXPECT_EQ(early, key->getMirrorIndex() >= 0) << key->getName().str();
        if (key->getSourceId() == kDorerNoId) continue;
        ++mirrors;
        ASSERT_EQ(byId.count(key->getSourceId()), 1u) << key->getName().str();
        EXPECT_EQ(byId[key->getSourceId()]->getMirrorId(), key->getId()) << key->getName().str();
    }
    EXPECT_EQ(mirrors, 7u);
    DorerDataNodeRef hdd = child("HDD_SAFE_MODE");
    EXPECT_EQ(hdd->getStorageType(), DSYSDorerTypes::Early);
    EXPECT_EQ(hdd->getMirrorIndex(), 7);
    EXPECT_EQ(hdd->getSourceId(), kDorerNoId);
    DorerDataNodeRef vin = child("VIN");
    EXPECT_EQ(vin->getId(), 0xF0001002u);
    EXPECT_EQ(vin->getSize(), 17u);
    EXPECT_EQ(vin->getValueType(), eDorerValueCQFBuffer);
    EXPECT_STREQ(DorerValueType_getName(15), "UNEXPECTED");
}

TEST_F(CatalogueTree, AdjustTree) {
    const DorerDataNodeRef& block = mRoot->getChildren()[96];
    EXPECT_EQ(block->getId(), 0x800007F4u);
    EXPECT_EQ(block->getStorageType(), DSYSDorerTypes::Adjust);
    DorerDataNodeList found;
    DorerDataDictionary::findByName(mRoot, "*", Kind::AdjStruct | Kind::AdjNode, found);
    ASSERT_EQ(found.size(), 172u);
    EXPECT_EQ(found[0]->getName(), CQFString("AdjustBlock"));
    EXPECT_EQ(found[1]->getName(), CQFString("E2P"));
    for (const DorerDataNodeRef& node : found) {
        EXPECT_EQ(node->getId(), 0x80000000u | ((DorerItemId_adjustOffset(node->getId())) << 16) | node->getSize());
        EXPECT_EQ(node->getStorageType(), DSYSDorerTypes::Adjust);
    }
    found.clear();
    DorerDataDictionary::findByName(mRoot, "*.low", Kind::AdjNode, found);
    EXPECT_EQ(found.size(), 5u);
    found.clear();
    DorerDataDictionary::findByName(mRoot, "E2P.AdjustData.TemperatureThresholds.CPU*", Kind::AnyKind, found);
    EXPECT_EQ(found.size(), 6u);
    DorerDataNodeRef low;
    ASSERT_TRUE(DorerDataDictionary::findById(mRoot, 0x82020002u, low));
    EXPECT_EQ(low->getName(), CQFString("E2P.AdjustData.TemperatureThresholds.CPU.low"));
    EXPECT_EQ(low->getValueType(), eDorerValueUInt16);
}

}  // namespace
