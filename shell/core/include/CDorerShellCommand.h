// The base of every shell command, and the process-wide state the commands share: the error
// list, the marks registry under the shared-data lock, and the service data.
//
// Lifecycle: the interpreter queues the command, calls prepare() and start() when it reaches
// the front, and finish() and getResult() once the command has reported completion through
// reportCompletion() (which waits, in the notification consumer, until no mark is left).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

#include "CDorerShellResult.h"
#include "DSYSDorerTypes.h"
#include "EErrorId.h"
#include "qf/CQFMutex.h"
#include "qf/CQFString.h"
#include "qf/CQFThreadSafeRefCounter.h"

class CDorerShellMarks;
class CDorerShellNotificationConsumer;
class CDSYSDorerAdminProxy;
class CDSYSOnOffProxy;
class CzoqDorerClientStore;

class CDorerShellCommand : public CQFThreadSafeRefCounter {
public:
    ~CDorerShellCommand() override = default;

    virtual void prepare() {}
    virtual void start() = 0;
    virtual void finish() {}
    virtual CDorerShellResult getResult() const { return mResult; }
    // Whether the result is written as a success: the ok of the completion report, unless the
    // command learnt after it that its answer could not come (the service went away). Called
    // once, after finish(); a command may record its error identifier here.
    virtual bool confirmCompletion(bool reportedOk) { return reportedOk; }
    // Adds the server-side identifiers of the action log not yet examined to the error list.
    // Without a connected Admin proxy there is nothing to examine.
    virtual void collectServerErrors();

    // The error list: each identifier once, in the order of first occurrence.
    static void addError(EErrorId id);
    static std::vector<EErrorId> getErrors();
    static void clearErrors();

    // The shared-data lock: a recursive mutex. lockSharedData returns the token (the lock
    // count after incrementing it); getMarks and unlockSharedData assert that the token is
    // the current count. Prefer CDorerShellSharedDataLock.
    static uint32_t lockSharedData();
    static void unlockSharedData(uint32_t token);
    static CDorerShellMarks* getMarks(uint32_t token);
    // The interpreter installs the process's registry (null removes it).
    static void setMarks(CDorerShellMarks* marks);

    // Server-side identifiers of one action-log entry, as the action-log reader finds them
    // (action: store 0, storage info 1, reload 2, version info 3, trigger read-only 4,
    // trigger fully-operable 5; itemReason: wrong version 1, wrong size 2, wrong id 4).
    static void addActionResultErrors(int action, uint32_t ioResult, bool success);
    static void addItemError(uint32_t itemId, int itemReason);

    // Service data shared by the commands and the notification consumer (read and written on
    // the component thread, under the shared-data lock). A proxy pointer holds one instance
    // reference (given back with freeProxyInstance and the consumer's connect listener).
    static CDSYSDorerAdminProxy* sAdminProxy;
    static CDSYSOnOffProxy* sOnOffProxy;
    static CDorerShellNotificationConsumer* sConsumer;
    // Created with the first command object, deleted by releaseClientStore.
    static CzoqDorerClientStore* sClientStore;
    static CQFString sCurrentState;
    static int32_t sStoreCookie;
    static int32_t sPendingChangeId;
    static int32_t sLastStoredChangeId;
    static int32_t sReloadResult;
    static std::vector<SStorageInfo> sStorageInfo;
    static std::vector<SActionLogEntry> sActionLog;
    static SDorerVersions sCompiledVersion;
    static std::vector<SStoredVersion> sStoredVersions;
    static pid_t sServerPid;         // a settings server this shell started, or -1
    static int32_t sLastSeenAction;  // greatest action-log sequence number examined

    // Deletes the shared client store (the interpreter, on the component thread, at its end).
    static void releaseClientStore();

protected:
    // Creates the shared client store once and attaches it to the notification consumer.
    CDorerShellCommand();
    // The completion contract: hands ok to the notification consumer's triggerAction.
    void reportCompletion(bool ok);

    CDorerShellResult mResult;
};

// Holds the shared-data lock for a scope.
class CDorerShellSharedDataLock {
public:
    CDorerShellSharedDataLock() : mToken(CDorerShellCommand::lockSharedData()) {}
    ~CDorerShellSharedDataLock() { CDorerShellCommand::unlockSharedData(mToken); }
    CDorerShellSharedDataLock(const CDorerShellSharedDataLock&) = delete;
    CDorerShellSharedDataLock& operator=(const CDorerShellSharedDataLock&) = delete;
    CDorerShellMarks* getMarks() const { return CDorerShellCommand::getMarks(mToken); }

private:
    uint32_t mToken;
};

using TDorerShellCommandRef = TQFRef<CDorerShellCommand>;
