// Whole cfgshell sessions against the settings server stand-in sysetsrvora: storing, the
// operating state, the server administration commands, starting and stopping the server, and
// the faults where an answer cannot come. Output compared byte for byte.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hu_testing.h"
#include "pagewriter/page_writer.h"

namespace {

using hu::testing::Process;
using hu::testing::TempRoot;

const std::string kPrompt = "\nsyset:>";
const std::string kBanner = "#HW: zoq\n";
const std::string kSeparator = "#-------------------------------------------------------------------------------\n";
const std::string kNotInFullyOperable = "Store will be execute only in 'FullyOperable' state.\n";
const std::string kDisconnected = "#ERROR:PROXY DISCONNECTED \n";

std::string connected(const std::string& state) { return "#CONNECTED\n#STATE: " + state + "\n"; }
std::string stored(const std::string& pending, const std::string& last) {
    return "#PENDING CHANGE_ID=" + pending + "\n#LAST STORED CHANGE_ID=" + last + "\n";
}
std::string energyMode(const std::string& modifier, const std::string& value) {
    return " NAME: EnergyMode\n TYPE: UInt8\n   ID: 0xf0004103\nMODIF: " + modifier + "\n SIZE: 0x01\nVALUE: " + value +
           "\n";
}
std::string partition(const std::string& storage, const std::string& status, const std::string& index,
                      const std::string& counter, const std::string& dataPos) {
    return "STORAGE: " + storage + "\n STATUS: EPartitionCondition_e" + status + "\n  INDEX: " + index +
           "\nCOUNTER: " + counter + "\nDATAPOS: " + dataPos + "\n" + kSeparator;
}

// One command line and everything the shell prints for it before the next prompt.
struct Step {
    std::string line;
    std::string output;
};
using Session = std::vector<Step>;

std::string inputOf(const Session& session) {
    std::string input;
    for (const Step& step : session) input += step.line + "\n";
    return input + "exit\n";
}

// What the shell prints for the session after the output of its start-up queue.
std::string expectedOf(const std::string& startup, const Session& session) {
    std::string expected = kBanner + startup + kPrompt;
    for (const Step& step : session) expected += step.output + kPrompt;
    return expected;
}

// A private root, page names of this test alone, and the stand-in on PATH.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        static std::atomic<int> sCount{0};
        mPage = "/hu_session_test_" + std::to_string(getpid()) + "_" + std::to_string(sCount++);
        const std::string bin = hu::testing::binPath("sysetsrvora");
        const char* path = std::getenv("PATH");
        mOptions.env = {{"DORER_PAGE", mPage},
                        {"DORER_PAGELOCK", mPage + "-lock"},
                        {"PATH", bin.substr(0, bin.rfind('/')) + ":" + (path ? path : "/usr/bin:/bin")}};
    }
    ~SessionTest() override {
        mServer.reset();
        hu::pagewriter::PageWriter::remove(mPage, mPage + "-lock");
    }

    void startServer(const std::vector<std::string>& switches) {
        std::vector<std::string> argv = {hu::testing::binPath("sysetsrvora")};
        argv.insert(argv.end(), switches.begin(), switches.end());
        mServer.reset(new Process(argv, mOptions));
        ASSERT_TRUE(hu::testing::waitUntil([this] { return mServer->err().find("serving") != std::string::npos; }));
    }
    // Timers of the shell run at that fraction of their time.
    void scaleTime(const std::string& factor) { mOptions.env["QF_TIME_SCALE"] = factor; }

    hu::testing::RunResult shell(const std::vector<std::string>& args, const std::string& input) {
        std::vector<std::string> argv = {hu::testing::binPath("cfgshell")};
        argv.insert(argv.end(), args.begin(), args.end());
        return hu::testing::run(argv, input, mOptions);
    }
    void expectSession(const std::vector<std::string>& args, const std::string& startup, const Session& session,
                       int exitCode = 0) {
        const hu::testing::RunResult result = shell(args, inputOf(session));
        EXPECT_EQ(expectedOf(startup, session), result.out);
        EXPECT_EQ(exitCode, result.exit_code);
    }

    TempRoot mRoot;
    std::string mPage;
    Process::Options mOptions;
    std::unique_ptr<Process> mServer;
};

TEST_F(SessionTest, StoreOutsideFullyOperableIsStoredWithTheSwitch) {
    startServer({"--state=ReadOnly"});
    expectSession({}, connected("ReadOnly"),
                  {{"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
                   {"store", "#PENDING CHANGE_ID=0x01\n" + kNotInFullyOperable},
                   {"getlast", "#LAST STORED CHANGE_ID=INVALID\n"},
                   {"setstate FullyOperable",
                    "#TRANSITION: 'ReadOnly'->'FullyOperable'\n#STATE: FullyOperable\n#LAST STORED CHANGE_ID=0x01\n"},
                   {"setk EnergyMode=7", "#SET RESULT: Non-defaults returned\n"},
                   {"store", stored("0x02", "0x02")},
                   {"store", stored("0x03", "0x03")},
                   {"getk EnergyMode", energyMode("Non-defaults returned", "0x07")},
                   {"check EnergyMode=0x07", "#CHECK RESULT: Success\n"},
                   {"lastres", "OK"}});
}

TEST_F(SessionTest, AdministrationCommands) {
    startServer({});
    expectSession({}, connected("FullyOperable"),
                  {{"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
                   {"store", stored("0x01", "0x01")},
                   {"reload", "#RELOAD RESULT: SUCCESS\n"},
                   {"versioninfo",
                    "Compiled version:\n  QFSD: 0x04\nADJUST: 0x02\n    CB: 0x60c\nStored versions:\n     ID: 0x01\n"
                    "VERSION: 0x04\n"},
                   {"storageinfo", partition("Flash", "Available", "0x00", "0x01", "0x07") +
                                       partition("Eeprom", "Available", "0x01", "0x00", "0x00") +
                                       partition("Adjust", "Available", "0x02", "0x00", "0x00") +
                                       partition("Early", "Available", "0x03", "0x00", "0x00")},
                   {"lastres", "OK"}});
}

TEST_F(SessionTest, ServerSideFailures) {
    startServer({"--fail-reload", "--io-failure"});
    expectSession({}, connected("FullyOperable"),
                  {{"reload", "#RELOAD RESULT: FAILURE\n"},
                   {"lastres", "ERRSRV_IOFAILED_RELOAD,ERRSRV_FAILED_RELOAD"},
                   {"lastres", "OK"},
                   {"storageinfo", partition("Flash", "InAccessible", "0x00", "0x00", "0x00") +
                                       partition("Eeprom", "InAccessible", "0x01", "0x00", "0x00") +
                                       partition("Adjust", "InAccessible", "0x02", "0x00", "0x00") +
                                       partition("Early", "InAccessible", "0x03", "0x00", "0x00")}});
}

// What the server refuses or does not carry out ends as a failure: its error line, its
// identifier, exit status 1. Each session has a server of its own.
TEST_F(SessionTest, FailuresEndAsFailures) {
    const struct {
        std::string name;
        std::vector<std::string> switches;
        Session session;
        int exitCode;
    } cases[] = {
        {"refused switch", {},
         {{"setstate Bogus", "#ERROR:TRIGGER STATE FAILED #TRANSITION: 'FullyOperable'->'Bogus'\n\n#STATE: FullyOperable\n"},
          {"lastres", "ERRCLN_FAILED_SETSTATE"},
          {"setstate Bogus", "#ERROR:TRIGGER STATE FAILED #TRANSITION: 'FullyOperable'->'Bogus'\n\n#STATE: FullyOperable\n"}},
         1},
        // The switch does not wait for the stored change id of the deferred store.
        {"refused switch after a deferred store", {"--state=ReadOnly"},
         {{"store", "#PENDING CHANGE_ID=0x01\n" + kNotInFullyOperable},
          {"setstate Fully", "#ERROR:TRIGGER STATE FAILED #TRANSITION: 'ReadOnly'->'Fully'\n\n#STATE: ReadOnly\n"
                             "#LAST STORED CHANGE_ID=INVALID\n"},
          {"lastres", "ERRCLN_FAILED_SETSTATE"},
          {"setstate FullyOperable",
           "#TRANSITION: 'ReadOnly'->'FullyOperable'\n#STATE: FullyOperable\n"},
          {"getlast", "#LAST STORED CHANGE_ID=0x01\n"},
          {"setstate ReadOnly", "#TRANSITION: 'FullyOperable'->'ReadOnly'\n#STATE: ReadOnly\n"}},
         0},
        // Taken, never reported stored: the wait ends as a failure, not with the lines of a
        // stored change.
        {"store not carried out", {"--io-failure"},
         {{"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
          {"store", "#ERROR:INVALID " + stored("0x01", "INVALID") + "\n"},
          {"store", "#ERROR:INVALID " + stored("0x02", "INVALID") + "\n"},
          {"lastres", "ERRCLN_FAILED_STORE,ERRSRV_IOFAILED_STORE,ERRSRV_FAILED_STORE"},
          {"getk EnergyMode", energyMode("Non-defaults returned", "0x05")}},
         0},
        {"store refused", {"--refuse-store"},
         {{"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
          {"store", "#ERROR:INVALID " + stored("INVALID", "INVALID") + "\n"}},
         1},
        {"store refused outside FullyOperable", {"--refuse-store", "--state=ReadOnly"},
         {{"store", "#ERROR:INVALID #PENDING CHANGE_ID=INVALID\n" + kNotInFullyOperable + "\n"},
          {"lastres", "ERRCLN_FAILED_STORE,ERRSRV_FAILED_STORE"}},
         0},
    };
    // The waits for a stored change id end within a second.
    scaleTime("0.05");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempRoot root;
        startServer(c.switches);
        const bool readOnly = std::find(c.switches.begin(), c.switches.end(), "--state=ReadOnly") != c.switches.end();
        const std::string state = readOnly ? "ReadOnly" : "FullyOperable";
        expectSession({}, connected(state), c.session, c.exitCode);
        mServer.reset();
    }
}

// Every service command without a connection fails at once and records its identifier.
TEST_F(SessionTest, WithoutConnection) {
    expectSession({"--noconnect"}, "",
                  {{"store", kDisconnected},
                   {"getlast", kDisconnected},
                   // The store outside "FullyOperable" makes the switch wait for a stored
                   // change id and print it; without a connection none of the three waits.
                   {"setstate FullyOperable", kDisconnected + kDisconnected + kDisconnected},
                   {"reload", kDisconnected},
                   {"versioninfo", kDisconnected},
                   {"storageinfo", kDisconnected},
                   {"lastres #",
                    "#ERROR:PROXY DISCONNECTED #ERRCLN_FAILED_STORE,ERRCLN_FAILED_GETLASTSTOREDCHANGEID,"
                    "ERRCLN_FAILED_SETSTATE,ERRCLN_FAILED_GETSTATE,ERRCLN_FAILED_GETRELOAD,ERRCLN_FAILED_GETVERSIONINFO,"
                    "ERRCLN_FAILED_GETSTORAGEINFO\n"},
                   {"sysetsrv stop", "#ERROR:INVALID \n"},
                   {"sysetsrv go", "#ERROR:SYNTAX ERROR \n"},
                   {"sysetsrv START", "#ERROR:SYNTAX ERROR \n"},
                   {"check FlashModeActive=false", "#CHECK RESULT: Success\n"},
                   {"check FlashModeActive=true",
                    "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<true> | receive<false>\n\n"},
                   {"check EnergyMode=0", "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<0> | receive<0x00>\n\n"},
                   {"check AMPLIFIER_VARIANT=INTERNAL", "#CHECK RESULT: Success\n"},
                   {"check AMPLIFIER_VARIANT=0x00", "#CHECK RESULT: Success\n"},
                   {"check AMPLIFIER_VARIANT=EXTERNAL",
                    "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<0x01> | receive<0x00>\n\n"},
                   {"check AMPLIFIER_VARIANT=NOPE",
                    "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<NOPE> | receive<0x00>\n\n"},
                   {"check AMPLIFIER_VARIANT=00",
                    "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<00> | receive<0x00>\n\n"},
                   {"check EnergyMode", "#ERROR:SYNTAX ERROR \n"},
                   {"check NoSuchItem=1", "#ERROR:KEY NOT FOUND \n"},
                   {"check *=1", "#ERROR:KEY NOT FOUND \n"},
                   // The expected text is shown as typed, placeholder or not.
                   {"setk TestTheCQFString=abc", "#SET RESULT: Non-defaults returned\n"},
                   {"check TestTheCQFString=abc", "#CHECK RESULT: Success\n"},
                   {"check TestTheCQFString=%itemValue%",
                    "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<%itemValue%> | receive<abc>\n\n"},
                   {"check TestTheCQFString=%expectedValue%",
                    "#ERROR:INCORRECT VALUE SIZE|FORMAT #CHECK RESULT: expected<%expectedValue%> | receive<abc>\n\n"},
                   {"sh echo from the shell", "from the shell\n"},
                   {"lastres", "#ERROR:PROXY DISCONNECTED ERRCLN_FAILED_SYSETSRV,ERRCLN_FAILED_CHECK\n"},
                   // An empty list without the action log is no "OK".
                   {"lastres", kDisconnected}},
                  0);
}

// A store the server refuses, or never answers, leaves its changes pending: the store after
// the server's restart sends them, and a fresh server reads them back from its storage.
TEST_F(SessionTest, ChangesOfAFailedStoreAreSentByTheNextStore) {
    // Short enough for the unanswered store's time limit, long enough for every stored change
    // id to arrive before the shell stops waiting for it.
    scaleTime("0.2");
    struct SFault {
        std::string mSwitch;
        std::string mStoreOutput;
        std::string mNextChangeId;  // a server that does not answer still stores
    };
    const std::vector<SFault> faults = {
        {"--refuse-store", "#ERROR:INVALID " + stored("INVALID", "INVALID") + "\n", "0x01"},
        {"--no-answer=store", "#ERROR:INVALID #STORE NOT ANSWERED\n\n", "0x02"},
    };
    for (const SFault& fault : faults) {
        SCOPED_TRACE(fault.mSwitch);
        TempRoot root;
        expectSession({"--noconnect"}, "",
                      {{"sysetsrv start=" + fault.mSwitch, "#SERVER STARTED\n"},
                       {"sysetsrv start", "#ERROR:INVALID \n"},
                       {"connect", connected("FullyOperable")},
                       {"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
                       {"store", fault.mStoreOutput},
                       {"sysetsrv restart", "#SERVER STARTED\n"},
                       {"connect", connected("FullyOperable")},
                       // A round trip, so that the stored change id the server sends to a
                       // reconnected shell is in before the store waits for its own.
                       {"reload", "#RELOAD RESULT: SUCCESS\n"},
                       {"store", stored(fault.mNextChangeId, fault.mNextChangeId)},
                       {"sysetsrv stop", "#SERVER UNLOAD\n"},
                       {"sysetsrv restart", "#SERVER STARTED\n"},
                       {"connect", connected("FullyOperable")},
                       {"getk EnergyMode", energyMode("Non-defaults returned", "0x05")}},
                      1);
        startServer({});
        expectSession({}, connected("FullyOperable"), {{"getk EnergyMode", energyMode("Non-defaults returned", "0x05")}});
        mServer.reset();
    }
}

// Requests whose answer never comes end with their error line once the time limit has passed,
// and leave nothing behind that would hold back the next command.
TEST_F(SessionTest, UnansweredRequestsEnd) {
    scaleTime("0.02");
    startServer({"--no-answer=reload", "--no-answer=versioninfo", "--no-answer=trigger", "--no-answer=actionlog"});
    expectSession({}, connected("FullyOperable"),
                  {{"reload", "#ERROR:ADMINISTRATION REQUEST FAILED #REQUEST RELOAD\n\n"},
                   {"versioninfo", "#ERROR:ADMINISTRATION REQUEST FAILED #REQUEST VERSIONINFO\n\n"},
                   {"setstate ReadOnly", "#ERROR:TRIGGER STATE FAILED #TRANSITION: 'FullyOperable'->'ReadOnly'\n\n"
                                         "#STATE: ReadOnly\n"},
                   {"lastres",
                    "#ERROR:ADMINISTRATION REQUEST FAILED "
                    "ERRCLN_FAILED_GETRELOAD,ERRCLN_FAILED_GETVERSIONINFO,ERRCLN_FAILED_SETSTATE\n"},
                   {"getstate", "#STATE: ReadOnly\n"}},
                  0);
}

// After a reconnection the shell shows the new server's state, and a store waits for its own
// change id to be stored, not for the first value the new server reports.
TEST_F(SessionTest, ReconnectionShowsTheNewServer) {
    expectSession({"--noconnect"}, "",
                  {{"sysetsrv start", "#SERVER STARTED\n"},
                   {"connect", connected("FullyOperable")},
                   {"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
                   {"store", stored("0x01", "0x01")},
                   {"sysetsrv restart=--state=ReadOnly", "#SERVER STARTED\n"},
                   {"connect", connected("ReadOnly")},
                   {"getstate", "#STATE: ReadOnly\n"},
                   {"sysetsrv restart", "#SERVER STARTED\n"},
                   {"connect", connected("FullyOperable")},
                   {"setk EnergyMode=6", "#SET RESULT: Non-defaults returned\n"},
                   {"store", stored("0x02", "0x02")},
                   {"sysetsrv stop", "#SERVER UNLOAD\n"},
                   {"getstate", kDisconnected}},
                  1);
}

// A change the server took but had not stored when it went away (SIGTERM or SIGKILL) is
// neither lost nor given a change id twice: the next server keeps it and counts on, and the
// shell, which cannot know what the next server has, sends it again with the next store.
TEST_F(SessionTest, AcceptedChangesOutliveTheServer) {
    const struct {
        int signal;
        bool sameData;  // false: the next server has lost the data of the first
        std::string nextChangeId;
    } cases[] = {{SIGTERM, true, "0x02"}, {SIGKILL, true, "0x02"}, {SIGKILL, false, "0x01"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.signal << c.sameData);
        const std::string data = mRoot.host("/data_" + std::to_string(c.signal) + (c.sameData ? "" : "_lost"));
        startServer({"--state=ReadOnly", "--data-dir=" + data});
        Process::Options options = mOptions;
        options.pipe_stdin = true;
        Process shell({hu::testing::binPath("cfgshell")}, options);
        shell.writeStdin("setk EnergyMode=5\nstore\n");
        ASSERT_TRUE(hu::testing::waitUntil([&] { return shell.out().find(kNotInFullyOperable + kPrompt) != std::string::npos; }));
        mServer->stop(c.signal);
        startServer({"--data-dir=" + data + (c.sameData ? "" : "_again")});
        shell.writeStdin("connect\nreload\nstore\nexit\n");
        EXPECT_EQ(0, WEXITSTATUS(shell.wait()));
        EXPECT_EQ(expectedOf(connected("ReadOnly"), {{"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
                                                     {"store", "#PENDING CHANGE_ID=0x01\n" + kNotInFullyOperable},
                                                     {"connect", connected("FullyOperable")},
                                                     {"reload", "#RELOAD RESULT: SUCCESS\n"},
                                                     {"store", stored(c.nextChangeId, c.nextChangeId)}}),
                  shell.out());
        mServer.reset();
        startServer({"--data-dir=" + data + (c.sameData ? "" : "_again")});
        expectSession({}, connected("FullyOperable"), {{"getk EnergyMode", energyMode("Non-defaults returned", "0x05")}});
        mServer.reset();
    }
}

// The server goes away while a request waits for its answer: the change made before it stays
// pending, and the first store to the restarted server sends it.
TEST_F(SessionTest, ServerKilledDuringRequest) {
    const struct {
        std::string line, noAnswer, output, error;
    } cases[] = {
        {"store", "store", kDisconnected, "ERRCLN_FAILED_STORE"},
        {"reload", "reload", "#ERROR:ADMINISTRATION REQUEST FAILED #REQUEST RELOAD\n\n",
         "ERRCLN_FAILED_GETRELOAD"},
        // The state of the server that went away is not shown; the next connection tells the
        // new server's.
        {"setstate ReadOnly", "trigger",
         "#ERROR:TRIGGER STATE FAILED #TRANSITION: 'FullyOperable'->'ReadOnly'\n\n" + kDisconnected,
         "ERRCLN_FAILED_SETSTATE,ERRCLN_FAILED_GETSTATE"},
    };
    for (const auto& request : cases) {
        SCOPED_TRACE(request.line);
        // A server of its own data each time: the killed one may have carried the request out.
        const std::string data = mRoot.host("/data_" + request.noAnswer);
        startServer({"--no-answer=" + request.noAnswer, "--data-dir=" + data});
        Process::Options options = mOptions;
        options.pipe_stdin = true;
        Process shell({hu::testing::binPath("cfgshell")}, options);
        ASSERT_TRUE(hu::testing::waitUntil([&] { return shell.out().find(kPrompt) != std::string::npos; }));
        shell.writeStdin("setk EnergyMode=5\n" + request.line + "\n");
        ASSERT_TRUE(hu::testing::waitUntil(
            [&] { return mServer->err().find(request.noAnswer + " carried out, not answered") != std::string::npos; }));
        mServer->stop(SIGKILL);
        // The request ends without its server; only then the new one comes, so that the shell's
        // reconnection cannot answer for the old server.
        ASSERT_TRUE(hu::testing::waitUntil([&] { return shell.out().find(request.output + kPrompt) != std::string::npos; }));
        startServer({"--data-dir=" + data + "_again"});
        shell.writeStdin("connect\nreload\nstore\nlastres\nexit\n");
        EXPECT_EQ(0, WEXITSTATUS(shell.wait()));
        const std::string expected = expectedOf(connected("FullyOperable"),
                                                {{"setk EnergyMode=5", "#SET RESULT: Non-defaults returned\n"},
                                                 {request.line, request.output},
                                                 {"connect", connected("FullyOperable")},
                                                 {"reload", "#RELOAD RESULT: SUCCESS\n"},
                                                 {"store", stored("0x01", "0x01")},
                                                 {"lastres", request.error}});
        EXPECT_EQ(expected, shell.out());
        mServer.reset();
        startServer({"--data-dir=" + data + "_again"});
        expectSession({}, connected("FullyOperable"), {{"getk EnergyMode", energyMode("Non-defaults returned", "0x05")}});
        mServer.reset();
    }
}

}  // namespace
