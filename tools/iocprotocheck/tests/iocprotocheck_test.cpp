// iocprotocheck against a boot configuration and a record in physical memory, with the
// system logger running: output, exit status and log records.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu/path.h"
#include "hu/slog.h"
#include "hu/slog_record.h"
#include "hu_testing.h"
#include "ioc_boot_info.h"

namespace {

using hu::testing::Process;
using hu::testing::RunResult;
using hu::testing::TempRoot;

constexpr uint64_t kRecordAddress = 0x4F000000;

struct Line {
    int severity;
    std::string text;
};

void writeRecord(const TempRoot& root, uint8_t protocol_version) {
    hu::makeDirs(root.host("/dev"));
    int fd = open(root.host("/dev/mem").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(fd, 0);
    uint8_t record[16] = {};
    record[8] = protocol_version;
    ASSERT_EQ(16, pwrite(fd, record, sizeof record, kRecordAddress));
    close(fd);
}

void writeBootcfg(const TempRoot& root, const std::string& text) {
    hu::makeDirs(root.host("/etc"));
    hu::testing::writeFile(root.host("/etc/bootcfg"), text + "\n");
}

// Runs the tool with the logger up; the records it logged, all checked for opcode 20000.
std::vector<Line> runLogged(const TempRoot& root, RunResult* result, size_t expected_records,
                            const Process::Options& options = {}) {
    Process logger({hu::testing::binPath("slogger")});
    EXPECT_TRUE(hu::testing::waitUntil([&] { return access(root.host("/dev/slog").c_str(), F_OK) == 0; }));
    *result = hu::testing::run({hu::testing::binPath("iocprotocheck")}, "", options);
    std::vector<hu::slog::Record> records;
    hu::testing::waitUntil([&] {
        records = hu::slog::readFile(root.host("/var/log/slog"));
        return records.size() >= expected_records;
    });
    std::vector<Line> lines;
    for (const auto& r : records) {
        EXPECT_EQ(kIocLogOpcode, r.opcode);
        lines.push_back({r.severity, r.text});
    }
    return lines;
}

void expectLines(const std::vector<Line>& expected, const std::vector<Line>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].severity, actual[i].severity) << actual[i].text;
        EXPECT_EQ(expected[i].text, actual[i].text);
    }
}

TEST(IocprotocheckTest, ReportsTheProtocolVersionAsExitStatus) {
    struct Case {
        uint8_t version;
        std::string text;
        int exit_code;
    } cases[] = {
        {0, "IPC Version 0: Initial IPC (0)", 0},
        {1, "IPC Version 1: Block IPC on Jacinto (1)", 1},
        {2, "IPC Version 2: Block IPC on Jacinto and OMAP (2)", 2},
        {3, "<UNKNOWN> (3)", 3},
        {5, "IPC Version 1: Block IPC on Jacinto (5)", 1},
        {0xFE, "IPC Version 2: Block IPC on Jacinto and OMAP (254)", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TempRoot root;
        writeBootcfg(root, "HW=omap5 IOC_BM_INFO=4F000000 OTHER=1");
        writeRecord(root, c.version);
        RunResult r;
        auto lines = runLogged(root, &r, 2);
        EXPECT_EQ(c.exit_code, r.exit_code);
        EXPECT_EQ("iocprotocheck: " + c.text + "\n", r.out);
        EXPECT_EQ("", r.err);
        expectLines({{_SLOG_INFO, "ioc_boot_info: IOC_BM_INFO ptr 0x4F000000"}, {_SLOG_INFO, "iocprotocheck: " + c.text}},
                    lines);
    }
}

TEST(IocprotocheckTest, BootConfigurationFromTheEnvironmentComesFirst) {
    TempRoot root;
    writeBootcfg(root, "IOC_BM_INFO=zz");
    writeRecord(root, 2);
    RunResult r;
    Process::Options options;
    options.env["HU_BOOTCFG"] = "IOC_BM_INFO=4f000000,next";
    runLogged(root, &r, 2, options);
    EXPECT_EQ(2, r.exit_code);
    EXPECT_EQ("iocprotocheck: IPC Version 2: Block IPC on Jacinto and OMAP (2)\n", r.out);
}

std::string failureLine(int error) {
    return "iocprotocheck: Failed to read IOC Boot Info: " + std::string(strerror(error)) + " (" +
           std::to_string(error) + ")!";
}

TEST(IocprotocheckTest, AFailedLookUpIsLoggedAndEndsWithStatusThree) {
    struct Case {
        const char* bootcfg;  // null: no boot configuration at all
        int error;
        std::string warning;
    } cases[] = {
        {nullptr, ENOSYS, "ioc_boot_info: _UCS_BOOTCFG not availabe!"},
        {"HW=omap5 IOC_BM=4F000000", ENOTSUP, "ioc_boot_info: IOC_BM_INFO not available in _UCS_BOOTCFG!"},
        {"A=1 IOC_BM_INFO=zz B=2", ERANGE, "ioc_boot_info: Failed to look up IOC_BM_INFO address in IOC_BM_INFO=zz B=2!"},
        {"IOC_BM_INFO=0", ERANGE, "ioc_boot_info: Failed to look up IOC_BM_INFO address in IOC_BM_INFO=0!"},
        {"IOC_BM_INFO=FFFFFFFF", ERANGE, "ioc_boot_info: Failed to look up IOC_BM_INFO address in IOC_BM_INFO=FFFFFFFF!"},
        {"IOC_BM_INFO=14F000000", ERANGE, "ioc_boot_info: Failed to look up IOC_BM_INFO address in IOC_BM_INFO=14F000000!"},
        {"IOC_BM_INFO=4F000000g", ERANGE, "ioc_boot_info: Failed to look up IOC_BM_INFO address in IOC_BM_INFO=4F000000g!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        TempRoot root;
        if (c.bootcfg != nullptr) writeBootcfg(root, c.bootcfg);
        writeRecord(root, 2);
        RunResult r;
        auto lines = runLogged(root, &r, 2);
        EXPECT_EQ(3, r.exit_code);
        EXPECT_EQ("", r.out);
        EXPECT_EQ(failureLine(c.error) + "\n", r.err);
        expectLines({{_SLOG_WARNING, c.warning}, {_SLOG_ERROR, failureLine(c.error)}}, lines);
    }
}

TEST(IocprotocheckTest, AnUnmappableRecordIsLoggedAndEndsWithStatusThree) {
    TempRoot root;
    writeBootcfg(root, "IOC_BM_INFO=4F000000");
    hu::makeDirs(root.host("/dev/mem"));  // physical memory that cannot be mapped
    RunResult r;
    auto lines = runLogged(root, &r, 2);
    EXPECT_EQ(3, r.exit_code);
    EXPECT_EQ(failureLine(ENXIO) + "\n", r.err);
    expectLines({{_SLOG_WARNING, "ioc_boot_info: Failed to map 0x10 bytes at physical address 0x4F000000: " +
                                     std::string(strerror(EISDIR)) + " (" + std::to_string(EISDIR) + ")!"},
                 {_SLOG_ERROR, failureLine(ENXIO)}},
                lines);
}

TEST(IocBootInfoTest, AccessorsReadTheirFieldsAndLogANullRecord) {
    TempRoot root;  // no logger: records land in the fallback file
    IocBootInfo info{};
    info.wakeup_reason = 0x21;
    info.ipc_protocol_version = 6;
    struct Case {
        uint8_t boot_loader;
        int active;
        int index;
    } cases[] = {{0x31, 1, 3}, {0x32, 0, 3}, {0xF1, 1, 15}, {0x00, 0, 0}};
    for (const Case& c : cases) {
        info.boot_loader = c.boot_loader;
        EXPECT_EQ(c.active, ioc_boot_info_boot_loader_active(&info));
        EXPECT_EQ(c.index, ioc_boot_info_internal_hardware_index(&info));
    }
    EXPECT_EQ(0x21, ioc_boot_info_wakeup_reason(&info));
    EXPECT_EQ(6, ioc_boot_info_ipc_protocol_version(&info));
    EXPECT_TRUE(hu::slog::readFile(hu::slog::fallbackPath()).empty());

    EXPECT_EQ(-1, ioc_boot_info_ipc_protocol_version(nullptr));
    EXPECT_EQ(-1, ioc_boot_info_wakeup_reason(nullptr));
    EXPECT_EQ(0, ioc_boot_info_boot_loader_active(nullptr));
    EXPECT_EQ(-1, ioc_boot_info_internal_hardware_index(nullptr));
    EXPECT_EQ(EINVAL, ioc_boot_info(nullptr));
    std::vector<std::string> expected = {
        "ioc_boot_info_ipc_protocol_version: NULL iocBootInfo!", "ioc_boot_info_wakeup_reason: NULL iocBootInfo!",
        "ioc_boot_info_boot_loader_active: NULL iocBootInfo!", "ioc_boot_info_internal_hardware_index: NULL iocBootInfo!",
        "ioc_boot_info: Null iocBootInfo!"};
    auto records = hu::slog::readFile(hu::slog::fallbackPath());
    ASSERT_EQ(expected.size(), records.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], records[i].text);
        EXPECT_EQ(_SLOG_WARNING, records[i].severity);
        EXPECT_EQ(kIocLogOpcode, records[i].opcode);
    }
}

TEST(IocprotocheckTest, CarriesItsUsageText) {
    std::string binary = hu::testing::readFile(hu::testing::binPath("iocprotocheck"));
    EXPECT_NE(std::string::npos, binary.find("%C - Check IPC Protocol Version used by V850.\n"));
    EXPECT_NE(std::string::npos, binary.find("Exit status 2 means Block IPC on Jacinto & OMAP.\n"));
}

}  // namespace
