// The dictionary's cost at start-up (one full build) and of a name search over the whole tree,
// and the id decision functions.
#include "DorerCatalogue.h"
#include "DorerDataDictionary.h"
#include "rounds.h"

namespace {

void BM_BuildDictionary(benchmark::State& state) {
    for (auto _ : state) {
        DorerDataNodeRef root(new DorerDataNodeRoot(DorerCatalogue_rootChildCount()));
        DorerCatalogue_build(*root);
        benchmark::DoNotOptimize(root.get());
    }
}
BENCHMARK(BM_BuildDictionary)->Unit(benchmark::kMicrosecond);

void BM_FindByNameWholeTree(benchmark::State& state) {
    const DorerDataNodeRef root = DorerDataDictionary::getRoot();
    for (auto _ : state) {
        DorerDataNodeList found;
        DorerDataDictionary::findByName(root, "*_X?", DorerDataNode::AnyKind, found);
        benchmark::DoNotOptimize(found.data());
    }
}
BENCHMARK(BM_FindByNameWholeTree)->Unit(benchmark::kMicrosecond);

// The search's floor: the same walk over every node with a pattern that matches at its
// first character.
void BM_WalkWholeTreeFloor(benchmark::State& state) {
    const DorerDataNodeRef root = DorerDataDictionary::getRoot();
    for (auto _ : state) {
        DorerDataNodeList found;
        DorerDataDictionary::findByName(root, "*", DorerDataNode::AnyKind, found);
        benchmark::DoNotOptimize(found.data());
    }
}
BENCHMARK(BM_WalkWholeTreeFloor)->Unit(benchmark::kMicrosecond);

void BM_IdFunctions(benchmark::State& state) {
    DorerCatalogue_install();
    uint32_t id = 0x43802808u;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dorerDefaults_isValidId(id));
        benchmark::DoNotOptimize(dorerDefaults_mapId(6, 4, id));
        id ^= 0x00000810u;  // alternate between a known and an unknown id
    }
}
BENCHMARK(BM_IdFunctions);

}  // namespace

int main(int argc, char** argv) {
    return hu::bench::runRounds(argc, argv,
                                {"BM_BuildDictionary", "BM_FindByNameWholeTree", "BM_WalkWholeTreeFloor", "BM_IdFunctions"},
                                {{"BM_FindByNameWholeTree", "BM_WalkWholeTreeFloor"}});
}
