// iplcheck over generated IPL images and flash files: version selection, date-code
// comparison, the verbose table and the failures that end the tool.
#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu/path.h"
#include "hu_testing.h"
#include "ipl_image.h"

namespace {

using hu::testing::run;
using hu::testing::RunResult;
using hu::testing::TempRoot;
using namespace hu::ipl;

struct Copies {
    IplCopy copy[kRegionCount];
    Copies(uint32_t fallback, uint32_t secondary, uint32_t primary) {
        copy[kFallback].version = fallback;
        copy[kSecondary].version = secondary;
        copy[kPrimary].version = primary;
    }
};

class IplcheckTest : public ::testing::Test {
protected:
    TempRoot root;
    std::string image = root.path() + "/ipl.bin";

    void write(const std::vector<uint8_t>& bytes, const std::string& path) {
        hu::testing::writeFile(path, std::string(bytes.begin(), bytes.end()));
    }
    void writeImage(const Copies& copies) { write(buildIplArea(copies.copy), image); }
    // A flash larger than the IPL area, as the device is.
    void writeFlash(const Copies& copies) {
        std::vector<uint8_t> flash = buildIplArea(copies.copy);
        flash.resize(4 * kAreaSize, 0xFF);
        hu::makeDirs(root.host("/dev"));
        write(flash, root.host("/dev/fs0"));
    }
    RunResult iplcheck(std::vector<std::string> args) {
        args.insert(args.begin(), hu::testing::binPath("iplcheck"));
        return run(args);
    }
};

TEST_F(IplcheckTest, ReportsTheVersionTheBootWouldUse) {
    struct Case {
        const char* name;
        void (*mutate)(Copies&);
        const char* out;
        const char* err;
    } cases[] = {
        {"all valid", [](Copies&) {}, "130515\n", ""},
        {"broken primary", [](Copies& c) { c.copy[kPrimary].signature = false; }, "130101\n",
         "iplcheck: primary IPL signature not valid.\n"},
        {"broken secondary", [](Copies& c) { c.copy[kSecondary].signature = false; }, "130515\n",
         "iplcheck: secondary IPL signature not valid.\n"},
        {"only fallback", [](Copies& c) { c.copy[kSecondary].signature = c.copy[kPrimary].signature = false; },
         "120101\n", "iplcheck: secondary IPL signature not valid.\niplcheck: primary IPL signature not valid.\n"},
        {"not fail safe", [](Copies& c) { c.copy[kFallback].options &= ~kOptionFailSafe; }, "120101\n",
         "iplcheck: IPL version is not fail safe.\n"},
        {"fallback unsigned", [](Copies& c) { c.copy[kFallback].signature = false; }, "120101\n",
         "iplcheck: IPL version is not fail safe.\n"},
        // CRCs do not take part in the choice.
        {"primary with a broken program CRC", [](Copies& c) { c.copy[kPrimary].length = 0x50; }, "130515\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Copies copies(0x120101, 0x130101, 0x130515);
        c.mutate(copies);
        writeImage(copies);
        RunResult r = iplcheck({image});
        EXPECT_EQ(0, r.exit_code);
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(c.err, r.err);
    }
}

TEST_F(IplcheckTest, ErasedOrBlankFlashHoldsNoVersion) {
    const std::string none = "iplcheck: no IPL version found: no copy has a valid IPL header.\n";
    for (char fill : {'\xFF', '\0'}) {
        SCOPED_TRACE(static_cast<int>(static_cast<uint8_t>(fill)));
        hu::makeDirs(root.host("/dev"));
        hu::testing::writeFile(root.host("/dev/fs0"), std::string(4 * kAreaSize, fill));
        struct Case {
            std::vector<std::string> args;
            std::string err_end;
        } cases[] = {
            {{}, none},
            {{"-d", "130515"}, none},
            {{"-d", "0"}, none},
            {{"-v", "-d", "130515"}, none + "iplcheck: exit with code 1\n"},
        };
        for (const Case& c : cases) {
            RunResult r = iplcheck(c.args);
            EXPECT_EQ(1, r.exit_code) << c.args.size();
            EXPECT_EQ("", r.out.substr(0, r.out.find("\n    IPL:")));
            ASSERT_GE(r.err.size(), c.err_end.size());
            EXPECT_EQ(c.err_end, r.err.substr(r.err.size() - c.err_end.size())) << r.err;
            EXPECT_EQ(std::string::npos, r.err.find("found version")) << r.err;
        }
    }
}

TEST_F(IplcheckTest, ComparesTheFirstSixCharactersOfTheDateCode) {
    writeImage(Copies(0x120101, 0x130101, 0x130515));
    struct Case {
        const char* required;
        int exit_code;
        const char* verdict;
    } cases[] = {
        {"130601", 1, "IPL is older than required."},
        {"130515", 0, "IPL is same as required."},
        {"1305", 0, "IPL is newer than required."},  // "130515" sorts after "1305"
        {"13051599", 0, "IPL is same as required."},
        {"12FFFF", 0, "IPL is newer than required."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.required);
        RunResult quiet = iplcheck({"-d", c.required, image});
        EXPECT_EQ(c.exit_code, quiet.exit_code);
        EXPECT_EQ("", quiet.out);
        EXPECT_EQ("", quiet.err);

        RunResult verbose = iplcheck({"-v", "-d", c.required, image});
        EXPECT_EQ(c.exit_code, verbose.exit_code);
        EXPECT_EQ("iplcheck: found version date code: >>>130515<<<\niplcheck: " + std::string(c.verdict) +
                      "\niplcheck: exit with code " + std::to_string(c.exit_code) + "\n",
                  verbose.err);
    }
}

TEST_F(IplcheckTest, VerboseTableShowsEveryCopyWithItsStatus) {
    Copies copies(0x120101, 0x130101, 0x130515);
    copies.copy[kPrimary].hw_id = 0x12345;
    copies.copy[kFallback].options = kOptionFailSafe | kOptionProgramCrc;  // the CRC covers the header too
    std::vector<uint8_t> area = buildIplArea(copies.copy);
    area[regionOffset(kSecondary) + 0x100] ^= 1;  // inside the header CRC's range
    area[regionOffset(kFallback) + 0x100] ^= 1;   // inside the program CRC's range
    write(area, image);

    RunResult r = iplcheck({"-v", image});
    EXPECT_EQ(0, r.exit_code);
    EXPECT_EQ("\n"
              "    IPL:        address version    HW id  options  status\n"
              "    -----------------------------------------------------\n"
              "    primary:      80000  130515   123.45        7  OK\n"
              "    secondary:    40000  130101                 7  BAD: IPL header CRC mismatch\n"
              "    fallback:         0  120101                 5  BAD: IPL program CRC mismatch\n"
              "\n",
              r.out);
    EXPECT_EQ("iplcheck: found version date code: >>>130515<<<\niplcheck: exit with code 0\n", r.err);
}

TEST_F(IplcheckTest, CopyStatusNamesTheFirstProblemAndNeverReadsPastTheRegion) {
    struct Case {
        const char* name;
        uint32_t options;
        uint32_t length;
        uint32_t damage_at;  // region offset of a flipped byte, 0 for none
        const char* status;
    } cases[] = {
        {"valid", 7, 0x1000, 0, "OK"},
        {"program CRC over the header", 5, 0x1000, 0, "OK"},
        {"no CRCs", 1, 0x1000, 0x300, "OK"},
        {"broken magic wins", 7, 0x1000, kMagic2Offset, "BAD: invalid IPL header"},
        {"header", 7, 0x1000, 0x10, "BAD: IPL header CRC mismatch"},
        {"program", 7, 0x1000, 0x800, "BAD: IPL program CRC mismatch"},
        {"stored program CRC", 7, 0x1000, 0x1002, "BAD: IPL program CRC mismatch"},
        {"program filling the region", 7, kRegionSize - 4, 0, "OK"},
        {"length before the program", 7, 0x100, 0, "BAD: IPL program CRC mismatch"},
        {"CRC just past the region", 7, kRegionSize - 3, 0, "BAD: IPL program CRC mismatch"},
        {"length far past the region", 7, 0xFFFFFFFE, 0, "BAD: IPL program CRC mismatch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Copies copies(0x120101, 0x130101, 0x130515);
        copies.copy[kPrimary].options = c.options;
        copies.copy[kPrimary].length = c.length;  // the primary is last: past its region is past the area
        std::vector<uint8_t> area = buildIplArea(copies.copy);
        if (c.damage_at != 0) area[regionOffset(kPrimary) + c.damage_at] ^= 0x40;
        write(area, image);
        RunResult r = iplcheck({"-v", image});
        EXPECT_EQ(0, r.exit_code);
        char options[16];
        snprintf(options, sizeof options, "%8x", c.options);
        EXPECT_NE(std::string::npos, r.out.find(std::string(options) + "  " + c.status + "\n")) << r.out;
    }
}

TEST_F(IplcheckTest, ReadsTheFlashUnlessExactlyOneImageIsNamed) {
    writeFlash(Copies(0x120101, 0x130101, 0x140202));
    writeImage(Copies(0x120101, 0x130101, 0x130515));
    EXPECT_EQ("140202\n", iplcheck({}).out);
    EXPECT_EQ("140202\n", iplcheck({image, image}).out);
    EXPECT_EQ("130515\n", iplcheck({image}).out);

    hu::makeDirs(root.host("/dev/other"));
    write(buildIplArea(Copies(0x1, 0x2, 0x3).copy), root.host("/dev/other/fs1"));
    RunResult other = iplcheck({"-p", "/dev/other/fs1", "-d", "3"});
    EXPECT_EQ(0, other.exit_code);
    EXPECT_EQ("", other.err);
}

// One line: the program name once, the message, and an errno text only where there is one.
void expectFailure(const RunResult& r, const std::string& line) {
    EXPECT_EQ(1, r.exit_code);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("iplcheck: " + line + "\n", r.err);
}

TEST_F(IplcheckTest, FlashFailuresEndTheToolWithStatusOne) {
    hu::makeDirs(root.host("/dev"));
    const std::string fs0 = root.host("/dev/fs0");  // where HU_ROOT put /dev/fs0
    expectFailure(iplcheck({}), "open flash device '" + fs0 + "': No such file or directory");

    hu::makeDirs(fs0);  // no flash: a directory answers no array information
    expectFailure(iplcheck({}), "get array info for '" + fs0 + "': Inappropriate ioctl for device");
    rmdir(fs0.c_str());

    hu::testing::writeFile(fs0, std::string(kAreaSize - 1, '\0'));
    expectFailure(iplcheck({}), "unexpected flash size: 0xbffff");
    expectFailure(iplcheck({"-p", "/dev/fs9"}), "open flash device '" + root.host("/dev/fs9") +
                                                    "': No such file or directory");
}

TEST_F(IplcheckTest, ImageFailuresEndTheToolWithStatusOne) {
    expectFailure(iplcheck({image}), "open image file '" + image + "': No such file or directory");
    for (uint32_t size : {kAreaSize + 1, kAreaSize - 1, 0u}) {
        hu::testing::writeFile(image, std::string(size, '\0'));
        char message[160];
        snprintf(message, sizeof message, "image file '%s' has unexpected size %#x (expected 0xc0000)", image.c_str(), size);
        expectFailure(iplcheck({image}), message);
    }
}

TEST_F(IplcheckTest, UnknownOptionShowsTheSynopsis) {
    RunResult r = iplcheck({"-x"});
    EXPECT_EQ(1, r.exit_code);
    EXPECT_NE(std::string::npos,
              r.err.find("iplcheck: USAGE: iplcheck [-v] [-p device] [-d date_code] [ipl-image.bin]\n"));
}

TEST_F(IplcheckTest, CarriesItsUsageText) {
    std::string binary = hu::testing::readFile(hu::testing::binPath("iplcheck"));
    EXPECT_NE(std::string::npos, binary.find("%C - check ipl version.\n"));
    EXPECT_NE(std::string::npos, binary.find(" -p device     path to raw flash device   (default: /dev/fs0)\n"));
}

}  // namespace
