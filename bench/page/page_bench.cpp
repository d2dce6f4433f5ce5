// Cost of the shell's page access: one item read from the private page copy (ns per read) and
// one refresh that copies the 8 KiB page after the writer announced a change (us per copy).
// The page, the access object and the system-log fallback (each new copy logs its header) are
// private to this run and removed at the end.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "DorerPageGetLib.h"
#include "pagewriter/page_image.h"
#include "pagewriter/page_writer.h"
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

struct Page {
    std::filesystem::path root = std::filesystem::temp_directory_path() / ("hu_page_bench_" + std::to_string(getpid()));
    std::string name = "/hu_page_bench_" + std::to_string(getpid());
    std::string lock = name + "-lock";
    hu::pagewriter::PageWriter writer{name, lock};
    Page() {
        std::filesystem::create_directories(root);
        setenv("HU_ROOT", root.c_str(), 1);
        if (!writer.open(page()) || DorerPageGetSh_attach(name.c_str(), lock.c_str()) != 0) std::abort();
    }
    ~Page() {
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

void BM_RefreshAfterChange(benchmark::State& state) {
    Page& p = shared();
    std::vector<uint8_t> content = page();
    for (auto _ : state) {
        state.PauseTiming();
        p.writer.write(content);
        state.ResumeTiming();
        benchmark::DoNotOptimize(DorerPageGetSh_update());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kDorerPageSize);
}
BENCHMARK(BM_RefreshAfterChange)->Unit(benchmark::kMicrosecond);

// The refresh's floor: a plain copy of the same 8 KiB.
void BM_CopyPageFloor(benchmark::State& state) {
    std::vector<uint8_t> from(kDorerPageSize, 0x5a), to(kDorerPageSize);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kDorerPageSize);
}
BENCHMARK(BM_CopyPageFloor)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
