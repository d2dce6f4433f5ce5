// The item commands (custom keys, coding data, adjust data) in the real cfgshell, driven
// through a pipe, with and without a settings page, compared byte for byte.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DorerDataDictionary.h"
#include "dorerDefaults.h"
#include "hu_testing.h"
#include "pagewriter/page_image.h"
#include "pagewriter/page_writer.h"

namespace {

using hu::pagewriter::PageImage;
using hu::pagewriter::PageWriter;
using hu::testing::Process;
using hu::testing::TempRoot;

const std::string kPrompt = "\nsyset:>";
const std::string kBanner = "#HW: zoq\n";

// A settings page under names of this test alone; removed at the end.
class TestPage {
public:
    TestPage() {
        static std::atomic<int> sCount{0};
        mName = "/hu_items_test_" + std::to_string(getpid()) + "_" + std::to_string(sCount++);
        mLock = mName + "-lock";
    }
    ~TestPage() { PageWriter::remove(mName, mLock); }
    bool write(const std::vector<uint8_t>& content) {
        mWriter.reset(new PageWriter(mName, mLock));
        return mWriter->open(content);
    }
    Process::Options options() const { return {{{"DORER_PAGE", mName}, {"DORER_PAGELOCK", mLock}}, false}; }

private:
    std::string mName, mLock;
    std::unique_ptr<PageWriter> mWriter;
};

hu::testing::RunResult shell(const std::string& input, const Process::Options& options) {
    return hu::testing::run({hu::testing::binPath("cfgshell"), "--noconnect"}, input, options);
}

// One command line and everything the shell prints for it before the next prompt.
struct Step {
    std::string line;
    std::string output;
};
using Session = std::vector<Step>;

// Each session in a shell of its own, ended by exit.
void expectSessions(const std::vector<Session>& sessions, const Process::Options& options) {
    for (const Session& session : sessions) {
        std::string input, expected = kBanner + kPrompt, lines;
        for (const Step& step : session) {
            input += step.line + "\n";
            expected += step.output + kPrompt;
            lines += step.line + " | ";
        }
        EXPECT_EQ(expected, shell(input + "exit\n", options).out) << lines;
    }
}

std::string keyText(const std::string& name, const std::string& type, const std::string& id, const std::string& modifier,
                    const std::string& size, const std::string& value) {
    return " NAME: " + name + "\n TYPE: " + type + "\n   ID: " + id + "\nMODIF: " + modifier + "\n SIZE: " + size +
           "\nVALUE: " + value + "\n";
}
std::string functionText(const std::string& name, const std::string& address, const std::string& function,
                         const std::string& modifier, const std::string& size, const std::string& value) {
    return " NAME: " + name + "\n ADDR: " + address + "\n FUNC: " + function + "\nMODIF: " + modifier +
           "\n SIZE: " + size + "\nVALUE: " + value + "\n";
}
std::string blockText(const std::string& name, const std::string& address, const std::string& modifier,
                      const std::string& size, const std::string& value) {
    return " NAME: " + name + "\n ADDR: " + address + "\nMODIF: " + modifier + "\n SIZE: " + size + "\nVALUE: " + value +
           "\n";
}
const auto adjustText = keyText;

const std::string kSeparator = "#-------------------------------------------------------------------------------\n";
const std::string kDefaults = "Defaults returned";
const std::string kNonDefaults = "Non-defaults returned";
const std::string kAccepted = "#SET RESULT: Non-defaults returned\n";
const std::string kRefusedSize = "#ERROR:INCORRECT VALUE SIZE|FORMAT #SET RESULT: Invalid size\n\n";
const std::string kBadValue = "#ERROR:INCORRECT VALUE SIZE|FORMAT \n";
const std::string kSyntax = "#ERROR:SYNTAX ERROR \n";
const std::string kKeyNotFound = "#ERROR:KEY NOT FOUND \n";
const std::string kGroupNotFound = "#ERROR:CB DATA GROUP NOT FOUND \n";
const std::string kAdjNotFound = "#ERROR:ADJ NOT FOUND \n";
std::string recorded(const std::string& ids) { return "#ERROR:PROXY DISCONNECTED " + ids + "\n"; }

TEST(ItemCommandsTest, CustomKeysWithoutPage) {
    TempRoot root;
    TestPage page;  // never written: every read falls back to the defaults
    expectSessions(
        {
            {{"getk VIN", keyText("VIN", "CQFBuffer", "0xf0001002", kDefaults, "0x11", "0x00")},
             {"getk 0xf0004102", keyText("ProgrammingCounter", "UInt16", "0xf0004102", kDefaults, "0x02", "0")},
             {"getk 64", kKeyNotFound},
             {"getk 0x43802808", kKeyNotFound},  // a coding function's id
             {"getk", kSyntax},
             {"getk NOSUCH*", kKeyNotFound},
             {"lastres", recorded("ERRCLN_FAILED_GETKEY")}},
            {{"dumpk TestThe*",
              "setk TestTheBool=true\n" + kSeparator +
                  "setk TestTheCQFBuffer=0x00 0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 0x09 0x0a 0x0b 0x0c 0x0d 0x0e "
                  "0x0f\n" +
                  kSeparator + "setk TestTheCQFByteStream=0x01 0x02 0x03\n" + kSeparator + "setk TestTheCQFString=abc\n" +
                  kSeparator + "setk TestTheInt16=-2\n" + kSeparator + "setk TestTheInt32=-4\n" + kSeparator +
                  "setk TestTheInt64=-8\n" + kSeparator + "setk TestTheInt8=0xff\n" + kSeparator +
                  "setk TestTheUInt16=2\n" + kSeparator + "setk TestTheUInt32=4\n" + kSeparator +
                  "setk TestTheUInt64=8\n" + kSeparator + "setk TestTheUInt8=0x01\n" + kSeparator}},
            {{"setk EnergyMode=5", kAccepted},
             {"getk EnergyMode", keyText("EnergyMode", "UInt8", "0xf0004103", kNonDefaults, "0x01", "0x05")},
             {"setk EnergyMode=256", kRefusedSize},
             {"setk EnergyMode=-1", kRefusedSize},
             {"setk EnergyMode= 5", kRefusedSize},
             {"setk EnergyMode=0x10", kAccepted},
             {"dumpk EnergyMode", "setk EnergyMode=0x10\n"},
             {"setk 0xf0004102=0xffff", kAccepted},
             {"getk ProgrammingCounter", keyText("ProgrammingCounter", "UInt16", "0xf0004102", kNonDefaults, "0x02", "65535")},
             {"lastres", recorded("ERRCLN_FAILED_SETKEY")}},
            {{"setk FlashModeActive=yes", kRefusedSize},
             {"setk FlashModeActive=1", kAccepted},
             {"dumpk FlashModeActive", "setk FlashModeActive=true\n"},
             {"setk TestTheCQFString=abcd", kRefusedSize},
             {"setk TestTheCQFString=a c", kAccepted},
             {"dumpk TestTheCQFString", "setk TestTheCQFString=a c\n"},
             {"setk TestTheInt8=-128", kAccepted},
             {"dumpk TestTheInt8", "setk TestTheInt8=0x80\n"},
             {"setk TestTheInt64=-9223372036854775808", kAccepted},
             {"dumpk TestTheInt64", "setk TestTheInt64=-9223372036854775808\n"},
             {"setk TestTheCQFBuffer=1 x 0x03 256 4", kAccepted},
             {"dumpk TestTheCQFBuffer", "setk TestTheCQFBuffer=0x01 0x03\n"},
             {"setk TestTheCQFByteStream=0x01 0x02 0x03 0x04", kRefusedSize}},
            {{"setk EXTERNAL_MOST=1", "#SET RESULT: Invalid id\n"},  // a mirror key: not an error
             {"setk BST*=1", kSyntax},
             {"setk NOSUCHKEY=1", kKeyNotFound},
             {"setk 0x43802808=1", kKeyNotFound},
             {"setk VIN", kBadValue},
             {"setk =1", kSyntax},
             {"lastres", recorded("ERRCLN_FAILED_SETKEY")}},
            {{"keylist S*", "SDARS_MPFA_STATUS\nSDARS_MPFA_VALUE\nSDARS_TRANSPORT_MODE\nSYS_DEBUG\n"},
             {"keylist V*", "V850_TestTheInt16\nV850_test_cb_1\nV850_test_cbfunc_0_2_5bits\nVIN\nVicsBeaconActive\n"},
             {"keylist Z*", kKeyNotFound},
             {"lastres", recorded("ERRCLN_FAILED_GETKEYLIST")}},
        },
        page.options());
}

TEST(ItemCommandsTest, CodingDataWithoutPage) {
    TempRoot root;
    TestPage page;
    const std::string compass = "setc HMI.COMPASS=";
    expectSessions(
        {
            {{"getc HMI.COMPASS", functionText("HMI", "0x3000", "COMPASS", kDefaults, "0x01", "NICHT_AKTIV")},
             {"getc COMPASS", functionText("HMI", "0x07", "COMPASS", kDefaults, "0x01", "NICHT_AKTIV")},
             {"getc 0x43802808", functionText("HMI", "0x07", "COMPASS", kDefaults, "0x01", "NICHT_AKTIV")},
             {"getc 7.COMPASS", functionText("HMI", "0x3000", "COMPASS", kDefaults, "0x01", "NICHT_AKTIV")},
             {"getc test_cb_1", blockText("test_cb_1", "0x01", kDefaults, "0x04", "0x00 0x00 0x00 0x00")},
             {"getc DISPLAY_PIP_CONFIG.TEMP_THRESHOLD1",
              functionText("DISPLAY_PIP_CONFIG", "0x3005", "TEMP_THRESHOLD1", kDefaults, "0x02", "WERT_1650")}},
            {{"dumpc test_cb_0.test_cbfunc_0_1_2bits", "setc test_cb_0.test_cbfunc_0_1_2bits=TEST_PARAM_0_1_0_ZERO\n"},
             {"dumpc test_cb_0.*", "setc test_cb_0.test_cbfunc_0_0_1bit=TEST_PARAM_0_0_0_OFF\n" + kSeparator +
                                       "setc test_cb_0.test_cbfunc_0_2_5bits=0x00\n" + kSeparator +
                                       "setc test_cb_0.test_cbfunc_0_1_2bits=TEST_PARAM_0_1_0_ZERO\n" + kSeparator},
             {"dumpc test_cb_?", "setc test_cb_0=0x00\n" + kSeparator + "setc test_cb_1=0x00 0x00 0x00 0x00\n" + kSeparator}},
            {{compass + "aktiv", kAccepted},
             {"dumpc HMI.COMPASS", compass + "AKTIV\n"},
             {compass + "0", kAccepted},
             {"dumpc HMI.COMPASS", compass + "NICHT_AKTIV\n"},
             {compass + "0x01", kAccepted},
             {"getc HMI.COMPASS", functionText("HMI", "0x3000", "COMPASS", kNonDefaults, "0x01", "AKTIV")},
             {compass + "\"NICHT_AKTIV\"", kAccepted},
             {"dumpc COMPASS", compass + "NICHT_AKTIV\n"},
             {compass + "2", kBadValue},
             {compass + "AKTIVE", kBadValue},
             {"setc HMI.COMPASS", kSyntax}},
            // A named value called "20" is reached by quoting; the number 20 is the byte 0x14.
            {{"setc HMI.SPEED_WARNING_OFFSET=\"20\"", kAccepted},
             {"getc HMI.SPEED_WARNING_OFFSET", functionText("HMI", "0x3000", "SPEED_WARNING_OFFSET", kNonDefaults, "0x01", "20")},
             {"dumpc HMI.SPEED_WARNING_OFFSET", "setc HMI.SPEED_WARNING_OFFSET=\"20\"\n"},
             {"setc HMI.SPEED_WARNING_OFFSET=20", kBadValue},
             {"setc HMI.SPEED_WARNING_OFFSET=5", kAccepted},
             {"dumpc HMI.SPEED_WARNING_OFFSET", "setc HMI.SPEED_WARNING_OFFSET=\"25\"\n"}},
            {{"setc test_cb_0.test_cbfunc_0_2_5bits=0x20", kRefusedSize},
             {"setc test_cb_0.test_cbfunc_0_2_5bits=0x1F", kAccepted},
             {"dumpc test_cb_0.test_cbfunc_0_2_5bits", "setc test_cb_0.test_cbfunc_0_2_5bits=0x1f\n"},
             {"setc test_cb_1=0x01 0x02 0x03", kBadValue},
             {"setc test_cb_1=0x01 0x02 0x03 0x04", kAccepted},
             {"dumpc test_cb_1", "setc test_cb_1=0x01 0x02 0x03 0x04\n"},
             {"setc DISPLAY_PIP_CONFIG.TEMP_THRESHOLD1=0x06 0x72", kAccepted},
             {"setc HMI=1", kBadValue},
             {"setc 0xE0000002=1", "#ERROR:INCORRECT VALUE SIZE|FORMAT #SET RESULT: Invalid id\n\n"},
             {"lastres", recorded("ERRCLN_FAILED_SETCB")}},
            {{"setc NOSUCH.X=1", kGroupNotFound},
             {"setc HMI.NOSUCH=1", kGroupNotFound},
             {"setc HMI.CDMM*=1", kSyntax},
             {"setc test_cb_?=1", kSyntax},
             {"setc .X=1", kSyntax},
             {"setc 0x12345678=1", kGroupNotFound},
             {"getc", kSyntax},
             {"getc NOSUCH", kGroupNotFound},
             {"getc HMI.NOSUCH", kGroupNotFound},
             {"getc COMPASS.X", kGroupNotFound},
             {"lastres", recorded("ERRCLN_FAILED_SETCB,ERRCLN_FAILED_GETCB")}},
            {{"caflist test_cb_?", "test_cb_0\ntest_cb_1\n"},
             {"caflist test_cb_0.*",
              "test_cb_0.test_cbfunc_0_0_1bit\ntest_cb_0.test_cbfunc_0_2_5bits\ntest_cb_0.test_cbfunc_0_1_2bits\n"},
             {"caflist test_cb_0.*.*",
              "test_cb_0.test_cbfunc_0_0_1bit.TEST_PARAM_0_0_0_OFF=0x00\n"
              "test_cb_0.test_cbfunc_0_0_1bit.TEST_PARAM_0_0_0_ON=0x01\n"
              "test_cb_0.test_cbfunc_0_2_5bits\n"
              "test_cb_0.test_cbfunc_0_1_2bits.TEST_PARAM_0_1_0_ZERO=0x00\n"
              "test_cb_0.test_cbfunc_0_1_2bits.TEST_PARAM_0_1_1_ONE=0x01\n"
              "test_cb_0.test_cbfunc_0_1_2bits.TEST_PARAM_0_1_2_TWO=0x02\n"
              "test_cb_0.test_cbfunc_0_1_2bits.TEST_PARAM_0_1_3_THREE=0x03\n"},
             {"caflist HMI.COMPASS.aktiv", "HMI.COMPASS.AKTIV=0x01\n"},
             {"caflist DISPLAY_PIP_CONFIG.TEMP_THRESHOLD1.*", "DISPLAY_PIP_CONFIG.TEMP_THRESHOLD1.WERT_1650=0x06\n"},
             {"caflist",
              "AUDIO_TUNER_TRAFFIC\nCAF_ID\nDISPLAY_PIP_CONFIG\nECO_VERDANT\nEXBOX\nFES\nHMI\nHUD\nKOMBI\nLANGUAGE\n"
              "NAVIGATION\nSARAH\nSIGNATURE\nSYSTEM_EINSTELLUNGEN\nTELEFON_TELEMATIK_ONLINE\nTL_ID\nTOUCH_COMMAND\n"
              "test_cb_0\ntest_cb_1\n"},
             {"caflist NOSUCH", kKeyNotFound},
             {"lastres", recorded("ERRCLN_FAILED_GETCBLIST")}},
        },
        page.options());
}

TEST(ItemCommandsTest, AdjustDataWithoutPage) {
    TempRoot root;
    TestPage page;
    const std::string cpu = "E2P.AdjustData.TemperatureThresholds.CPU";
    expectSessions(
        {
            {{"geta " + cpu + ".low", adjustText(cpu + ".low", "UInt16", "0x82020002", kDefaults, "0x02", "0x37 0x00")},
             {"geta 0x82080002", adjustText("E2P.AdjustData.TemperatureThresholds.FOT_Critical", "Undefined", "0x82080002",
                                            kDefaults, "0x02", "0x5f 0x00")},
             {"dumpa " + cpu + ".*", "seta " + cpu + ".low=0x37 0x00\n" + kSeparator + "seta " + cpu +
                                         ".medium=0x55 0x00\n" + kSeparator + "seta " + cpu + ".high=0x64 0x00\n" +
                                         kSeparator},
             {"dumpa E2P.AdjustData.FAN", "seta E2P.AdjustData.FAN=0xff\n"},
             {"geta", kSyntax},
             {"geta NOSUCH", kAdjNotFound},
             {"geta 0xf0001002", kAdjNotFound},
             {"lastres", recorded("ERRCLN_FAILED_GETADJ")}},
            // Adjust data is not changed from the shell: a valid seta records nothing.
            {{"seta E2P.AdjustData.FAN=0x12", "#SET RESULT: Invalid id\n"},
             {"seta 0x822d0001=0x12 0x13", "#SET RESULT: Invalid id\n"},
             {"dumpa E2P.AdjustData.FAN", "seta E2P.AdjustData.FAN=0xff\n"},
             {"lastres", recorded("")},  // nothing recorded
             {"seta E2P.AdjustData.FAN=xyz", kSyntax},
             {"seta E2P.AdjustData.FAN", kBadValue},
             {"seta E2P.*=1", kSyntax},
             {"seta =1", kSyntax},
             {"seta NOSUCH=1", kAdjNotFound},
             {"seta 0xf0001002=1", kAdjNotFound},
             {"lastres", recorded("ERRCLN_FAILED_SETADJ")}},
            {{"adjlist *.low",
              "E2P.AdjustData.TemperatureThresholds.FOT.low\nE2P.AdjustData.TemperatureThresholds.AMP.low\n"
              "E2P.AdjustData.TemperatureThresholds.HDD.low\nE2P.AdjustData.TemperatureThresholds.DVD.low\n"
              "E2P.AdjustData.TemperatureThresholds.CPU.low\n"},
             {"adjlist " + cpu + "*", cpu + "\n" + cpu + ".low\n" + cpu + ".medium\n" + cpu + ".high\n" + cpu +
                                          "_Critical\n" + cpu + "_Critical.critical\n"},
             {"adjlist NOSUCH", kAdjNotFound},
             {"lastres", recorded("ERRCLN_FAILED_GETADJLIST")}},
        },
        page.options());
}

TEST(ItemCommandsTest, ReadsComeFromThePageUnlessChangedHere) {
    TempRoot root;
    TestPage page;
    std::vector<uint8_t> hmi(150, 0);
    hmi[5] = 0x01;  // COMPASS
    std::vector<uint8_t> adjust(2024, 0xFF);
    adjust[557 - 12] = 0x12;  // E2P.AdjustData.FAN
    ASSERT_TRUE(page.write(PageImage()
                               .add(0xF0004103, {0x03})                  // EnergyMode
                               .add(0xF0004102, {0x34, 0x12})            // ProgrammingCounter
                               .add(0xF0001002, {'W', 'A', 'U'})         // VIN, shorter than its size
                               .addCodingBlock(7, 0x060C, hmi)
                               .addCodingBlock(63, 0x060C, {1, 2, 3, 4})  // test_cb_1
                               .addAdjust(2, adjust)
                               .build()));
    const std::string fan = "E2P.AdjustData.FAN";
    expectSessions(
        {
            {{"getk EnergyMode", keyText("EnergyMode", "UInt8", "0xf0004103", kNonDefaults, "0x01", "0x03")},
             {"dumpk ProgrammingCounter", "setk ProgrammingCounter=4660\n"},
             {"dumpk VIN", "setk VIN=0x57 0x41 0x55\n"},
             {"getk FlashModeActive", keyText("FlashModeActive", "Bool", "0xf0004106", kDefaults, "0x01", "false")},
             {"setk EnergyMode=7", kAccepted},
             {"dumpk EnergyMode", "setk EnergyMode=0x07\n"}},
            {{"getc COMPASS", functionText("HMI", "0x07", "COMPASS", kNonDefaults, "0x01", "AKTIV")},
             {"getc test_cb_1", blockText("test_cb_1", "0x01", kNonDefaults, "0x04", "0x01 0x02 0x03 0x04")},
             {"dumpc test_cb_1.*", "setc test_cb_1.test_cbfunc_1_0_1byte=0x01\n" + kSeparator +
                                       "setc test_cb_1.test_cbfunc_1_1_3bytes=0x02 0x03 0x04\n" + kSeparator},
             {"getc test_cb_0", blockText("test_cb_0", "0x00", kDefaults, "0x01", "0x00")},
             {"setc HMI.COMPASS=NICHT_AKTIV", kAccepted},
             {"dumpc HMI.COMPASS", "setc HMI.COMPASS=NICHT_AKTIV\n"}},
            {{"geta " + fan, adjustText(fan, "UInt8", "0x822d0001", kNonDefaults, "0x01", "0x12")},
             {"seta " + fan + "=0x13", "#SET RESULT: Invalid id\n"},
             {"dumpa " + fan, "seta " + fan + "=0x12\n"}},
        },
        page.options());
}

// A value of every item kind that differs from the defaults, fitting the item's type.
std::vector<uint8_t> keyValue(const DorerDataNode& key, uint8_t seed) {
    std::vector<uint8_t> value(key.getSize());
    for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(seed * 31 + i * 7 + 0x80);
    if (key.getValueType() == 13) {  // CQFString: printable characters
        for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>('A' + (seed + i) % 26);
    }
    return value;
}

std::vector<uint8_t> roundTripPage() {
    const DorerDataNodeRef root = DorerDataDictionary::getRoot();
    PageImage image;
    DorerDataNodeList items;
    DorerDataDictionary::findByKind(root, true, DorerDataNode::Key | DorerDataNode::Cb, items);
    uint8_t seed = 1;
    for (const DorerDataNodeRef& item : items) {
        ++seed;
        if (item->getKind() == DorerDataNode::Cb) {
            image.addCodingBlock(item->getId(), 0x060C, keyValue(*item, seed));
        } else if (!dorerDefaults_isMirrorKey(item->getId())) {  // mirror keys cannot be set
            image.add(item->getId(), keyValue(*item, seed));
        }
    }
    std::vector<uint8_t> adjust(2024);
    for (size_t i = 0; i < adjust.size(); ++i) adjust[i] = static_cast<uint8_t>(i * 13);
    return image.addAdjust(2, adjust).build();
}

// The prompt-separated answers of a session, banner first.
std::vector<std::string> answers(const std::string& out) {
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t at = out.find(kPrompt, from);
        parts.push_back(out.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return parts;
        from = at + kPrompt.size();
    }
}

TEST(ItemCommandsTest, DumpsFedBackReproduceEveryKeyAndCodingBlock) {
    TempRoot root;
    TestPage page;
    ASSERT_TRUE(page.write(roundTripPage()));
    const std::string dumps = "dumpk *\ndumpc *\n";
    const std::vector<std::string> fromPage = answers(shell(dumps + "exit\n", page.options()).out);
    ASSERT_EQ(4u, fromPage.size());

    // Without a page the shell starts from the defaults, which differ; the dumped lines set
    // every key and block (the separator lines are comments), and reads then answer from the
    // pending changes.
    TestPage none;
    const std::vector<std::string> defaults = answers(shell(dumps + "exit\n", none.options()).out);
    ASSERT_EQ(4u, defaults.size());
    EXPECT_NE(fromPage[1], defaults[1]);
    EXPECT_NE(fromPage[2], defaults[2]);

    const auto fedBack = shell(fromPage[1] + fromPage[2] + dumps + "exit\n", none.options());
    EXPECT_EQ(0, fedBack.exit_code) << fedBack.out;  // no set was refused
    const std::vector<std::string> after = answers(fedBack.out);
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(fromPage[1], after[after.size() - 3]);
    EXPECT_EQ(fromPage[2], after[after.size() - 2]);
}

TEST(ItemCommandsTest, AdjustDumpsFedBackAreAcceptedAndChangeNothing) {
    TempRoot root;
    TestPage page;
    ASSERT_TRUE(page.write(roundTripPage()));
    const std::string dump = answers(shell("dumpa *\nexit\n", page.options()).out).at(1);
    const auto fedBack = shell(dump + "dumpa *\nexit\n", page.options());
    EXPECT_EQ(0, fedBack.exit_code);
    const std::vector<std::string> after = answers(fedBack.out);
    size_t invalidIdAnswers = 0;
    for (const std::string& answer : after) invalidIdAnswers += answer == "#SET RESULT: Invalid id\n";
    EXPECT_EQ(172u, invalidIdAnswers);  // AdjustBlock, E2P and every structure and leaf below
    EXPECT_EQ(dump, after[after.size() - 2]);
}

}  // namespace
