// Cost of the shell's page access: one item read from the private page copy (ns per read) and
// one refresh that copies the 8 KiB page after the writer announced a change. The refresh is
// measured as a write followed by a refresh against the write alone (pausing the clock around
// the write would measure the pause); its floor is a plain copy of the page plus the one
// system-log record each new copy logs, sent to a logger that only drains its socket.
// The page, the access object and the logger socket are private to this run.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DorerPageGetLib.h"
#include "hu/path.h"
#include "hu/slog_record.h"
#include "pagewriter/page_image.h"
#include "pagewriter/page_writer.h"
#include "rounds.h"
#include "sysetpagegetsh.h"

// No layout translation in this run: the stored layout is the compiled one.
uint32_t dorerDefaults_mapId(uint8_t, uint8_t, uint32_t id) { return id; }

namespace {

// A page shaped like the real one: about a hundred entries, the one read near the end.
std::vector<uint8_t> page() {
    hu::pagewriter::PageImage image;
    for (uint32_t key = 0; key < 77; ++key) image.add(0xF0000000 + key, std::vector<uint8_t>(17, 0x11));
    for (uint32_t block = 1; block <= 19; ++block) image.addCodingBlock(block, 0x060C, std::vector<uint8_t>(100, 0x22));
    image.addAdjust(2, std::vector<uint8_t>(2024, 0xFF));
    return image.build();
}

sockaddr_un loggerAddress() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = hu::resolveForCreate("/dev/slog");
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

// A logger that takes every record and keeps none; an empty datagram stops it.
struct DrainingLogger {
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = loggerAddress();
    std::thread drain;
    DrainingLogger() {
        unlink(address.sun_path);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
        drain = std::thread([this] {
            char record[2048];
            while (recv(fd, record, sizeof record, 0) > 0) {
            }
        });
    }
    ~DrainingLogger() {
        int stop = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sendto(stop, "", 0, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(stop);
        drain.join();
        close(fd);
    }
};

struct Page {
    std::filesystem::path root = std::filesystem::temp_directory_path() / ("hu_page_bench_" + std::to_string(getpid()));
    std::string name = "/hu_page_bench_" + std::to_string(getpid());
    std::string lock = name + "-lock";
    hu::pagewriter::PageWriter writer{name, lock};
    std::vector<uint8_t> content = page();
    std::unique_ptr<DrainingLogger> logger;
    Page() {
        std::filesystem::create_directories(root);
        setenv("HU_ROOT", root.c_str(), 1);
        logger = std::make_unique<DrainingLogger>();
        if (!writer.open(content) || DorerPageGetSh_attach(name.c_str(), lock.c_str()) != 0) std::abort();
    }
    ~Page() {
        logger.reset();
        hu::pagewriter::PageWriter::remove(name, lock);
        std::filesystem::remove_all(root);
    }
};

Page& shared() {
    static Page instance;
    return instance;
}

void BM_ItemReadFromCopy(benchmark::State& state) {
    shared();
    const uint32_t bitField = (1u << 30) | (19u << 23) | (50u << 11) | (0x04u << 3);  // block 19, the last
    uint8_t buffer[1];
    uint32_t length = 0;
    for (auto _ : state) {
        int code = DorerPageGetSh_getMappedCbBuffer(bitField, 0x060C, buffer, sizeof buffer, &length);
        benchmark::DoNotOptimize(code);
        benchmark::DoNotOptimize(buffer[0]);
    }
}
BENCHMARK(BM_ItemReadFromCopy);

void BM_WriteAndRefresh(benchmark::State& state) {
    Page& p = shared();
    for (auto _ : state) {
        p.writer.write(p.content);
        benchmark::DoNotOptimize(DorerPageGetSh_update());
    }
}
BENCHMARK(BM_WriteAndRefresh)->Unit(benchmark::kMicrosecond);

void BM_WriteAlone(benchmark::State& state) {
    Page& p = shared();
    for (auto _ : state) p.writer.write(p.content);
    DorerPageGetSh_update();
}
BENCHMARK(BM_WriteAlone)->Unit(benchmark::kMicrosecond);

// The refresh's floor: a plain copy of the same 8 KiB and one send of a record of the size
// of the one a new copy logs, on a socket connected to the same logger.
void BM_CopyAndLogFloor(benchmark::State& state) {
    shared();
    std::vector<uint8_t> from(kDorerPageSize, 0x5a), to(kDorerPageSize);
    std::vector<char> record =
        hu::slog::encode({0, getpid(), 0x100002, 5, "DorerPage version = 1, lookup table size = 582"});
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = loggerAddress();
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) state.SkipWithError("logger");
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        while (send(fd, record.data(), record.size(), MSG_NOSIGNAL) < 0 && errno == EINTR) {
        }
    }
    close(fd);
}
BENCHMARK(BM_CopyAndLogFloor)->Unit(benchmark::kMicrosecond);

// A plain copy of the same 8 KiB alone, to show what the record costs.
void BM_CopyPage(benchmark::State& state) {
    std::vector<uint8_t> from(kDorerPageSize, 0x5a), to(kDorerPageSize);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyPage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return hu::bench::runRounds(argc, argv,
                                {"BM_ItemReadFromCopy", "BM_WriteAndRefresh", "BM_WriteAlone", "BM_CopyAndLogFloor",
                                 "BM_CopyPage"});
}
