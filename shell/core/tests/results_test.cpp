// Results and their texts, the error list, server-side identifiers, marks and the
// shared-data lock, output formatting.
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

TEST(ResourcesTest, TextsAndUndefinedValues) {
    using namespace NDorerShellResources;
    EXPECT_EQ(CQFString("VALID"), toString(eShellValid));
    EXPECT_EQ(CQFString("INCORRECT VALUE SIZE|FORMAT"), toString(eShellIncorrectValue));
    EXPECT_EQ(CQFString("SERVER UNLOADED. USE COMMAND setstate"), toString(eShellServerUnloaded));
    EXPECT_EQ(CQFString("INVALID"), toString(eShellInvalid));
    EXPECT_EQ(CQFString("OK"), toString(OK));
    EXPECT_EQ(CQFString("ERRSRV_IOFAILED_TRIGGERFULLYOPERABLE"), toString(ERRSRV_IOFAILED_TRIGGERFULLYOPERABLE));
    EXPECT_EQ(CQFString("ERRCLN_FAILED_CHECK"), toString(ERRCLN_FAILED_CHECK));
    EXPECT_EQ(CQFString("ERRCLN_BADCOMMAND"), toString(ERRCLN_BADCOMMAND));
    EXPECT_EQ(CQFString("ERR_LAST_ERROR_ID"), toString(ERR_LAST_ERROR_ID));
    EXPECT_EQ(CQFString("FullyOperable"), toString(eStateFullyOperable));
    EXPECT_EQ(CQFString("Defaults returned"), toString(eDorerDataAccessDefaults));
    EXPECT_EQ(CQFString("eClientResponsePendingChangeId"), CDorerShellMarks::toString(eClientResponsePendingChangeId));

    AssertionLog log;
    EXPECT_EQ(CQFString(), toString(static_cast<EShellErrorCode>(12)));
    EXPECT_EQ(CQFString(), toString(static_cast<EErrorId>(61)));
    EXPECT_EQ(CQFString(), toString(static_cast<EState>(3)));
    EXPECT_EQ(CQFString(), toString(static_cast<EDorerDataAccessResult>(3)));
    EXPECT_EQ(CQFString(), CDorerShellMarks::toString(static_cast<eMarkType>(15)));
    ASSERT_EQ(5u, log.mSeen.size());
    EXPECT_EQ("Undefined EShellErrorCode result.", log.mSeen[0].mMessage);
    EXPECT_EQ("CDorerShellResult", log.mSeen[0].mSource);
    EXPECT_EQ(80, log.mSeen[0].mLine);
    EXPECT_EQ("Undefined EErrorId value.", log.mSeen[1].mMessage);
    EXPECT_EQ(292, log.mSeen[1].mLine);
    EXPECT_EQ("Undefined EState value.", log.mSeen[2].mMessage);
    EXPECT_EQ(68, log.mSeen[2].mLine);
    EXPECT_EQ("Undefined EDorerDataAccessResult value.", log.mSeen[3].mMessage);
    EXPECT_EQ(54, log.mSeen[3].mLine);
    EXPECT_EQ("Undefined eMarkType value.", log.mSeen[4].mMessage);
    EXPECT_EQ(86, log.mSeen[4].mLine);
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
