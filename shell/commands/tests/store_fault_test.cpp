// A fault run: a real cfgshell stores changes round after round while its settings server is
// killed (SIGKILL or SIGTERM, at a random point of a round) and started again, in
// "FullyOperable" or "ReadOnly". After every kill it checks, in the server's storage files:
// every change the shell reported stored is there; after the restart one more store, which
// sends what the shell still holds, brings every change that was not reported stored (failed,
// deferred or cut off) into storage too, so none was dropped; and no change id was handed out
// twice. Fixed seed; HU_FAULT_ROUNDS and HU_FAULT_SEED make a longer run (scripts/fault-run).
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue_rules.h"
#include "hu_testing.h"
#include "page_model.h"
#include "pagewriter/page_writer.h"
#include "partition_storage.h"

namespace {

using hu::testing::Process;
using hu::testing::TempRoot;

const std::string kPrompt = "\nsyset:>";
constexpr int kKeys = 6;                  // BST00 .. BST05, UInt64 keys
constexpr uint32_t kFirstKey = 0xF0002000;
constexpr uint64_t kUnset = 0;            // a key's value before the run (the default)

uint32_t envOr(const char* name, uint32_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<uint32_t>(std::strtoul(value, nullptr, 10)) : fallback;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// The value of each key as the server's partition files hold it.
std::vector<uint64_t> storedValues(const hu::sysetsrv::CatalogueRules& rules, const std::string& dataDir) {
    hu::sysetsrv::PartitionStorage storage(dataDir);
    storage.load(rules);
    hu::sysetsrv::PageModel model = rules.defaults();
    for (const hu::sysetsrv::Partition& partition : storage.partitions()) {
        for (const hu::sysetsrv::PageBlock& block : partition.blocks) model.replaceBlock(block);
    }
    std::vector<uint64_t> values(kKeys, kUnset);
    for (int k = 0; k < kKeys; ++k) {
        std::vector<uint8_t> bytes;
        if (!model.getItem(kFirstKey + static_cast<uint32_t>(k), bytes)) continue;
        uint64_t value = 0;
        for (size_t i = bytes.size(); i > 0; --i) value = (value << 8) | bytes[i - 1];
        values[static_cast<size_t>(k)] = value;
    }
    return values;
}

class StoreFaultRun {
public:
    StoreFaultRun() : mRng(envOr("HU_FAULT_SEED", 23)) {
        static int sCount = 0;
        mPage = "/hu_store_fault_" + std::to_string(getpid()) + "_" + std::to_string(sCount++);
        const std::string bin = hu::testing::binPath("sysetsrvora");
        const char* path = std::getenv("PATH");
        // The shell's waits for the stored change id and for an answer take a twentieth of
        // their time (half a second, a second and a half); connect waits up to ten seconds.
        mOptions.env = {{"DORER_PAGE", mPage},
                        {"DORER_PAGELOCK", mPage + "-lock"},
                        {"QF_TIME_SCALE", "0.05"},
                        {"PATH", bin.substr(0, bin.rfind('/')) + ":" + (path ? path : "/usr/bin:/bin")}};
        mData = mRoot.host("/data");
    }
    ~StoreFaultRun() {
        mShell.reset();
        mServer.reset();
        hu::pagewriter::PageWriter::remove(mPage, mPage + "-lock");
    }

    void run(uint32_t rounds) {
        startServer(false);
        Process::Options options = mOptions;
        options.pipe_stdin = true;
        mShell.reset(new Process({hu::testing::binPath("cfgshell"), "--connectwait=200"}, options));
        ASSERT_TRUE(waitForPrompts(1)) << mShell->out();
        std::uniform_int_distribution<uint32_t> gap(1, 6), delayUs(0, 6000), coin(0, 1), third(0, 2);
        uint32_t nextKill = gap(mRng);
        for (uint32_t round = 0; round < rounds; ++round) {
            const int key = static_cast<int>(round % kKeys);
            const uint64_t value = round + 1;
            mLatest[static_cast<size_t>(key)] = value;
            send("setk BST0" + std::to_string(key) + "=" + std::to_string(value));
            const size_t storePrompt = send("store");
            const bool kill = round + 1 == nextKill;
            if (kill) {
                // Somewhere in the round: before the request, during it, or after its answer.
                std::this_thread::sleep_for(std::chrono::microseconds(delayUs(mRng)));
                const int signal = coin(mRng) ? SIGKILL : SIGTERM;
                mServer->stop(signal);
                ++(signal == SIGKILL ? mSigkills : mSigterms);
            }
            ASSERT_TRUE(waitForPrompts(storePrompt)) << round << mShell->out().substr(mOutputSeen);
            classify(outputOf(storePrompt));
            if (!kill) continue;
            checkReportedStored();
            const bool startReadOnly = coin(mRng) == 0;
            ASSERT_NO_FATAL_FAILURE(restart(startReadOnly, third(mRng) == 0));
            nextKill = round + 1 + gap(mRng);
        }
        send("exit");
        mShell->wait();
    }

    void report() const {
        std::printf("fault run: %u rounds, %u kills (%u SIGKILL, %u SIGTERM), %u changes reported stored, "
                    "%u reported failed, %u deferred; %u change ids, all distinct: %s; changes lost: %u\n",
                    mRounds, mSigkills + mSigterms, mSigkills, mSigterms, mStored, mFailed, mDeferred,
                    static_cast<unsigned>(mChangeIds.size()), mDuplicateIds == 0 ? "yes" : "no", mLost);
    }
    uint32_t lost() const { return mLost; }
    uint32_t duplicateIds() const { return mDuplicateIds; }
    uint32_t kills() const { return mSigkills + mSigterms; }
    uint32_t stored() const { return mStored; }

private:
    void startServer(bool readOnly) {
        mServer.reset(new Process({hu::testing::binPath("sysetsrvora"), "--data-dir=" + mData,
                                   readOnly ? "--state=ReadOnly" : "--state=FullyOperable"},
                                  mOptions));
        ASSERT_TRUE(hu::testing::waitUntil([this] { return mServer->err().find("serving") != std::string::npos; }));
    }

    // Writes one line; the number of prompts there will be once it has been answered.
    size_t send(const std::string& line) {
        mShell->writeStdin(line + "\n");
        return ++mLines + 1;
    }
    bool waitForPrompts(size_t prompts) {
        return hu::testing::waitUntil([&] { return count(mShell->out(), kPrompt) >= prompts; },
                                      std::chrono::seconds(30));
    }
    // What the shell printed for the line answered by the given prompt.
    std::string outputOf(size_t prompt) {
        const std::string out = mShell->out();
        size_t end = 0, begin = 0;
        for (size_t n = 0; n < prompt; ++n) {
            begin = end;
            end = out.find(kPrompt, end) + kPrompt.size();
        }
        mOutputSeen = end;
        return out.substr(begin, end - kPrompt.size() - begin);
    }

    void classify(const std::string& output) {
        ++mRounds;
        noteChangeId(output);
        const size_t at = output.find("#LAST STORED CHANGE_ID=");
        if (output.rfind("#PENDING CHANGE_ID=", 0) == 0 && at != std::string::npos) {
            ++mStored;
            // Everything the shell held was in this store, and the server wrote all it had.
            mReportedStored = mLatest;
        } else if (output.rfind("#PENDING CHANGE_ID=", 0) == 0) {
            ++mDeferred;
        } else {
            EXPECT_EQ(0u, output.rfind("#ERROR:", 0)) << output;
            ++mFailed;
        }
    }

    void noteChangeId(const std::string& output) {
        const std::string tag = "#PENDING CHANGE_ID=";
        const size_t at = output.find(tag);
        if (at == std::string::npos) return;
        const std::string id = output.substr(at + tag.size(), output.find('\n', at) - at - tag.size());
        if (id == "INVALID") return;
        if (!mChangeIds.insert(id).second) {
            ++mDuplicateIds;
            ADD_FAILURE() << "change id " << id << " handed out twice";
        }
    }

    // Storage holds, for every key, the value last reported stored or one set after it.
    void checkReportedStored() {
        const std::vector<uint64_t> values = storedValues(mRules, mData);
        for (size_t k = 0; k < kKeys; ++k) {
            if (values[k] < mReportedStored[k] || values[k] > mLatest[k]) {
                ++mLost;
                ADD_FAILURE() << "BST0" << k << " stored " << values[k] << ", reported stored " << mReportedStored[k];
            }
        }
    }

    // A new server on the same data; then one store in "FullyOperable" must bring every
    // change the shell made into storage. The next rounds run in "ReadOnly" when asked for.
    void restart(bool startReadOnly, bool readOnlyNext) {
        ASSERT_NO_FATAL_FAILURE(startServer(startReadOnly));
        bool settled = false;
        for (int attempt = 0; attempt < 5 && !settled; ++attempt) {
            ASSERT_TRUE(waitForPrompts(send("connect")));
            ASSERT_TRUE(waitForPrompts(send("setstate FullyOperable")));
            const size_t prompt = send("store");
            ASSERT_TRUE(waitForPrompts(prompt));
            const std::string output = outputOf(prompt);
            noteChangeId(output);
            settled = output.rfind("#PENDING CHANGE_ID=", 0) == 0 &&
                      output.find("#LAST STORED CHANGE_ID=") != std::string::npos;
        }
        ASSERT_TRUE(settled) << mShell->out().substr(mOutputSeen);
        mReportedStored = mLatest;
        const std::vector<uint64_t> values = storedValues(mRules, mData);
        for (size_t k = 0; k < kKeys; ++k) {
            if (values[k] != mLatest[k]) {
                ++mLost;
                ADD_FAILURE() << "BST0" << k << " stored " << values[k] << ", last set " << mLatest[k];
            }
        }
        if (readOnlyNext) {
            ASSERT_TRUE(waitForPrompts(send("setstate ReadOnly")));
        }
        ASSERT_TRUE(waitForPrompts(send("lastres")));  // the failures of the run are expected
    }

    TempRoot mRoot;
    std::string mPage;
    std::string mData;
    Process::Options mOptions;
    std::unique_ptr<Process> mServer;
    std::unique_ptr<Process> mShell;
    hu::sysetsrv::CatalogueRules mRules;
    std::mt19937 mRng;
    size_t mLines = 0;
    size_t mOutputSeen = 0;
    std::vector<uint64_t> mLatest = std::vector<uint64_t>(kKeys, kUnset);
    std::vector<uint64_t> mReportedStored = std::vector<uint64_t>(kKeys, kUnset);
    std::set<std::string> mChangeIds;
    uint32_t mRounds = 0, mSigkills = 0, mSigterms = 0, mStored = 0, mFailed = 0, mDeferred = 0, mLost = 0,
             mDuplicateIds = 0;
};

TEST(StoreFaultTest, NoStoredChangeIsLostAndNoChangeIdRepeatsWhileTheServerIsKilled) {
    StoreFaultRun run;
    ASSERT_NO_FATAL_FAILURE(run.run(envOr("HU_FAULT_ROUNDS", 48)));
    run.report();
    EXPECT_GT(run.kills(), 0u);
    EXPECT_GT(run.stored(), 0u);
    EXPECT_EQ(0u, run.lost());
    EXPECT_EQ(0u, run.duplicateIds());
}

}  // namespace
