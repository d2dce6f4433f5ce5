// Results and their texts, the error list, server-side identifiers, marks and the
// shared-data lock, output formatting.
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CDorerShellCommand.h"
#include "CDorerShellMarks.h"
#include "DorerShellFormat.h"
#include "NDorerShellResources.h"
#include "qf/QFAssert.h"

namespace {

// Collects the assertions raised in its lifetime.
class AssertionLog {
public:
    AssertionLog() {
        QFAssert::setObserver([this](const SQFAssertion& a) { mSeen.push_back(a); });
    }
    ~AssertionLog() { QFAssert::setObserver(nullptr); }
    std::vector<SQFAssertion> mSeen;
};

// A few texts that scripts match: code texts of the error line, identifier names of lastres,
// the states of getstate, an item read's outcome.
TEST(ResourcesTest, TextsScriptsMatch) {
    using namespace NDorerShellResources;
    const struct {
        CQFString text;
        const char* expected;
    } cases[] = {
        {toString(eShellValid), "VALID"},
        {toString(eShellKeyNotFound), "KEY NOT FOUND"},
        {toString(eShellSyntaxError), "SYNTAX ERROR"},
        {toString(eShellServerUnloaded), "SERVER UNLOADED. USE COMMAND setstate"},
        {toString(OK), "OK"},
        {toString(ERRSRV_FAILED_STORE), "ERRSRV_FAILED_STORE"},
        {toString(ERRSRV_IOFAILED_TRIGGERFULLYOPERABLE), "ERRSRV_IOFAILED_TRIGGERFULLYOPERABLE"},
        {toString(ERRSRV_WRONGID_ADJ), "ERRSRV_WRONGID_ADJ"},
        {toString(ERRCLN_FAILED_GETKEY), "ERRCLN_FAILED_GETKEY"},
        {toString(ERRCLN_BADCOMMAND), "ERRCLN_BADCOMMAND"},
        {toString(eStateUnloaded), "Unloaded"},
        {toString(eStateReadOnly), "ReadOnly"},
        {toString(eStateFullyOperable), "FullyOperable"},
        {toString(eDorerDataAccessDefaults), "Defaults returned"},
    };
    for (const auto& c : cases) EXPECT_EQ(CQFString(c.expected), c.text);
}

// Every defined value of each enumeration has a name of its own: no value printed empty or
// mistaken for another.
TEST(ResourcesTest, EveryValueHasADistinctName) {
    using namespace NDorerShellResources;
    std::vector<CQFString> errorCodes, errorIds, marks;
    for (uint32_t code = eShellValid; code <= eShellInvalid; ++code) {
        errorCodes.push_back(toString(static_cast<EShellErrorCode>(code)));
    }
    for (int id = OK; id <= ERR_LAST_ERROR_ID; ++id) errorIds.push_back(toString(static_cast<EErrorId>(id)));
    for (int type = eOnOffComponentConnected; type <= eClientResponsePendingChangeId; ++type) {
        marks.push_back(CDorerShellMarks::toString(static_cast<eMarkType>(type)));
    }
    std::vector<CQFString> states = {toString(eStateUnloaded), toString(eStateReadOnly), toString(eStateFullyOperable)};
    std::vector<CQFString> reads = {toString(eDorerDataAccessNonDefaults), toString(eDorerDataAccessInvalidId),
                                    toString(eDorerDataAccessInvalidSize), toString(eDorerDataAccessVersionMismatch),
                                    toString(eDorerDataAccessDefaults)};
    for (const auto* names : {&errorCodes, &errorIds, &marks, &states, &reads}) {
        std::set<std::string> seen;
        for (const CQFString& name : *names) {
            EXPECT_FALSE(name.isEmpty());
            EXPECT_TRUE(seen.insert(name.str()).second) << name.getCString();
        }
    }
}

// An undefined value is the assertion with the system's message, source and line, and empty text.
TEST(ResourcesTest, UndefinedValuesAssertAndGiveEmptyText) {
    using namespace NDorerShellResources;
    AssertionLog log;
    const struct {
        CQFString text;
        const char* message;
        const char* source;
        int line;
    } cases[] = {
        {toString(static_cast<EShellErrorCode>(12)), "Undefined EShellErrorCode result.", "CDorerShellResult", 80},
        {toString(static_cast<EErrorId>(61)), "Undefined EErrorId value.", "CDorerShellCommand", 292},
        {toString(static_cast<EState>(3)), "Undefined EState value.", "NDorerShellResources", 68},
        {toString(static_cast<EDorerDataAccessResult>(3)), "Undefined EDorerDataAccessResult value.",
         "NDorerShellResources", 54},
        {CDorerShellMarks::toString(static_cast<eMarkType>(15)), "Undefined eMarkType value.", "CDorerShellMarks", 86},
    };
    ASSERT_EQ(std::size(cases), log.mSeen.size());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].message);
        EXPECT_EQ(CQFString(), cases[i].text);
        EXPECT_EQ(cases[i].message, log.mSeen[i].mMessage);
        EXPECT_EQ(cases[i].source, log.mSeen[i].mSource);
        EXPECT_EQ(cases[i].line, log.mSeen[i].mLine);
    }
}

TEST(ResultTest, StartsInvalidCopiesBothFields) {
    CDorerShellResult initial;
    EXPECT_EQ(11u, initial.getError());
    EXPECT_FALSE(initial.isValid());
    CDorerShellResult result(eShellValid, "#STATE: x\n");
    CDorerShellResult copy = result;
    EXPECT_TRUE(copy.isValid());
    EXPECT_EQ(CQFString("#STATE: x\n"), copy.mData);
}

class ErrorListTest : public ::testing::Test {
protected:
    void SetUp() override { CDorerShellCommand::clearErrors(); }
    void TearDown() override { CDorerShellCommand::clearErrors(); }
};

TEST_F(ErrorListTest, EachIdOnceInFirstOccurrenceOrder) {
    CDorerShellCommand::addError(ERRCLN_FAILED_GETKEY);
    CDorerShellCommand::addError(ERRCLN_BADCOMMAND);
    CDorerShellCommand::addError(ERRCLN_FAILED_GETKEY);
    EXPECT_EQ((std::vector<EErrorId>{ERRCLN_FAILED_GETKEY, ERRCLN_BADCOMMAND}), CDorerShellCommand::getErrors());
    CDorerShellCommand::clearErrors();
    EXPECT_TRUE(CDorerShellCommand::getErrors().empty());
}

TEST_F(ErrorListTest, ActionLogEntriesGiveServerIdentifiers) {
    CDorerShellCommand::addActionResultErrors(0, 0x3, false);  // store: I/O and IPC bits, failed
    CDorerShellCommand::addActionResultErrors(2, 0x2, true);   // reload: IPC bit only
    CDorerShellCommand::addActionResultErrors(5, 0x0, false);  // trigger fully operable: failed
    CDorerShellCommand::addItemError(0xC0000005u, 1);          // key, wrong version
    CDorerShellCommand::addItemError(0x00000001u, 2);          // coding block, wrong size
    CDorerShellCommand::addItemError(0x40000001u, 4);          // coding function, wrong id
    CDorerShellCommand::addItemError(0x80000001u, 1);          // adjust, wrong version
    CDorerShellCommand::addItemError(0x80000001u, 3);          // no identifier
    EXPECT_EQ((std::vector<EErrorId>{ERRSRV_IOFAILED_STORE, ERRSRV_FAILED_STORE, ERRSRV_IPCFAILED_RELOAD,
                                     ERRSRV_FAILED_TRIGGERFULLYOPERABLE, ERRSRV_WRONGVERSION_KEY, ERRSRV_WRONGSIZE_CB,
                                     ERRSRV_WRONGID_CBF, ERRSRV_WRONGVERSION_ADJ}),
              CDorerShellCommand::getErrors());

    AssertionLog log;
    CDorerShellCommand::addActionResultErrors(6, 0x1, false);
    ASSERT_EQ(2u, log.mSeen.size());
    EXPECT_EQ("Unsupported DSYSDorerAdmin::EDorerAction value.", log.mSeen[0].mMessage);
    EXPECT_EQ(98, log.mSeen[0].mLine);
    EXPECT_EQ(129, log.mSeen[1].mLine);
}

TEST(MarksTest, UnregisterRemovesOneOfEqualMarks) {
    CDorerShellMarks marks;
    marks.registerMark(eDorerAttributeLastStoredChangeID, 0);
    marks.registerMark(eDorerAttributeLastStoredChangeID, 0);
    marks.registerMark(eAdminActionLog, 0);
    EXPECT_TRUE(marks.unregisterMark(eDorerAttributeLastStoredChangeID, 0));
    ASSERT_EQ(2u, marks.getMarks().size());
    EXPECT_EQ(eDorerAttributeLastStoredChangeID, marks.getMarks()[0].mType);
    EXPECT_FALSE(marks.unregisterMark(eAdminActionLog, 1));  // crc differs
    EXPECT_TRUE(marks.unregisterMark(eAdminActionLog, 0));
    EXPECT_TRUE(marks.unregisterMark(eDorerAttributeLastStoredChangeID, 0));
    EXPECT_TRUE(marks.isEmpty());
    EXPECT_FALSE(marks.unregisterMark(eDorerAttributeLastStoredChangeID, 0));
}

TEST(SharedDataLockTest, TokensCountUpAndAStaleTokenAsserts) {
    CDorerShellMarks marks;
    CDorerShellCommand::setMarks(&marks);
    AssertionLog log;
    const uint32_t outer = CDorerShellCommand::lockSharedData();
    EXPECT_EQ(&marks, CDorerShellCommand::getMarks(outer));
    {
        CDorerShellSharedDataLock inner;  // recursive: the same thread locks again
        EXPECT_EQ(&marks, inner.getMarks());
    }
    EXPECT_TRUE(log.mSeen.empty());
    CDorerShellCommand::unlockSharedData(outer);  // the inner lock moved the count on
    ASSERT_EQ(1u, log.mSeen.size());
    EXPECT_EQ(193, log.mSeen[0].mLine);
    EXPECT_EQ("CDorerShellCommand", log.mSeen[0].mSource);
    CDorerShellCommand::setMarks(nullptr);
}

TEST(FormatTest, BytesAndChangeIds) {
    const uint8_t bytes[] = {0x00, 0xAB, 0x7};
    EXPECT_EQ(CQFString("0x00 0xab 0x07"), NDorerShellFormat::formatBytes(bytes, 3));
    EXPECT_EQ(CQFString(), NDorerShellFormat::formatBytes(CQFBuffer()));
    EXPECT_EQ(CQFString("INVALID"), NDorerShellFormat::formatChangeId(-1));
    EXPECT_EQ(CQFString("0x05"), NDorerShellFormat::formatChangeId(5));
    EXPECT_EQ(CQFString("0x1234"), NDorerShellFormat::formatChangeId(0x1234));
}

}  // namespace
