#include "NDorerShellResources.h"

#include "qf/QFAssert.h"

namespace NDorerShellResources {

CQFString toString(EShellErrorCode code) {
    switch (code) {
        case eShellValid: return "VALID";
        case eShellProxyDisconnected: return "PROXY DISCONNECTED";
        case eShellProxyAlreadyConnected: return "PROXY ALREADY CONNECTED";
        case eShellAdjNotFound: return "ADJ NOT FOUND";
        case eShellKeyNotFound: return "KEY NOT FOUND";
        case eShellCbDataGroupNotFound: return "CB DATA GROUP NOT FOUND";
        case eShellSyntaxError: return "SYNTAX ERROR";
        case eShellIncorrectValue: return "INCORRECT VALUE SIZE|FORMAT";
        case eShellServerUnloaded: return "SERVER UNLOADED. USE COMMAND setstate";
        case eShellTriggerStateFailed: return "TRIGGER STATE FAILED";
        case eShellAdminRequestFailed: return "ADMINISTRATION REQUEST FAILED";
        case eShellInvalid: return "INVALID";
    }
    doAssert(80, "CDorerShellResult", "Undefined EShellErrorCode result.", static_cast<long long>(code));
    return CQFString();
}

CQFString toString(EErrorId id) {
    static const char* const kNames[] = {
        "OK",
        "ERRSRV_FAILED_STORE", "ERRSRV_FAILED_STORAGEINFO", "ERRSRV_FAILED_RELOAD", "ERRSRV_FAILED_VERSIONINFO",
        "ERRSRV_FAILED_TRIGGERREADONLY", "ERRSRV_FAILED_TRIGGERFULLYOPERABLE",
        "ERRSRV_IPCFAILED_STORE", "ERRSRV_IPCFAILED_STORAGEINFO", "ERRSRV_IPCFAILED_RELOAD",
        "ERRSRV_IPCFAILED_VERSIONINFO", "ERRSRV_IPCFAILED_TRIGGERREADONLY", "ERRSRV_IPCFAILED_TRIGGERFULLYOPERABLE",
        "ERRSRV_IOFAILED_STORE", "ERRSRV_IOFAILED_STORAGEINFO", "ERRSRV_IOFAILED_RELOAD",
        "ERRSRV_IOFAILED_VERSIONINFO", "ERRSRV_IOFAILED_TRIGGERREADONLY", "ERRSRV_IOFAILED_TRIGGERFULLYOPERABLE",
        "ERRSRV_WRONGVERSION_KEY", "ERRSRV_WRONGVERSION_CB", "ERRSRV_WRONGVERSION_CBF", "ERRSRV_WRONGVERSION_ADJ",
        "ERRSRV_WRONGSIZE_KEY", "ERRSRV_WRONGSIZE_CB", "ERRSRV_WRONGSIZE_CBF", "ERRSRV_WRONGSIZE_ADJ",
        "ERRSRV_WRONGID_KEY", "ERRSRV_WRONGID_CB", "ERRSRV_WRONGID_CBF", "ERRSRV_WRONGID_ADJ",
        "ERRCLN_FAILED_CHECK", "ERRCLN_FAILED_CONNECT", "ERRCLN_FAILED_EXIT", "ERRCLN_FAILED_GETADJ",
        "ERRCLN_FAILED_DUMPADJ", "ERRCLN_FAILED_GETADJLIST", "ERRCLN_FAILED_GETCB", "ERRCLN_FAILED_DUMPCB",
        "ERRCLN_FAILED_GETCBLIST", "ERRCLN_FAILED_GETKEY", "ERRCLN_FAILED_DUMPKEY", "ERRCLN_FAILED_GETKEYLIST",
        "ERRCLN_FAILED_GETLASTPENDINGCHANGEID", "ERRCLN_FAILED_GETLASTSTOREDCHANGEID", "ERRCLN_FAILED_GETRELOAD",
        "ERRCLN_FAILED_GETSTATE", "ERRCLN_FAILED_GETSTORAGEINFO", "ERRCLN_FAILED_GETVERSIONINFO",
        "ERRCLN_FAILED_HELP", "ERRCLN_FAILED_LASTRESULT", "ERRCLN_FAILED_OUT", "ERRCLN_FAILED_SETADJ",
        "ERRCLN_FAILED_SETCB", "ERRCLN_FAILED_SETKEY", "ERRCLN_FAILED_SHELL", "ERRCLN_FAILED_STORE",
        "ERRCLN_FAILED_SETSTATE", "ERRCLN_FAILED_SYSETSRV", "ERRCLN_BADCOMMAND",
        "ERR_LAST_ERROR_ID",
    };
    static_assert(sizeof kNames / sizeof kNames[0] == ERR_LAST_ERROR_ID + 1, "one name per identifier");
    if (id >= OK && id <= ERR_LAST_ERROR_ID) return kNames[id];
    doAssert(292, "CDorerShellCommand", "Undefined EErrorId value.", static_cast<long long>(id));
    return CQFString();
}

CQFString toString(EState state) {
    switch (state) {
        case eStateUnloaded: return "Unloaded";
        case eStateReadOnly: return "ReadOnly";
        case eStateFullyOperable: return "FullyOperable";
    }
    doAssert(68, "NDorerShellResources", "Undefined EState value.", static_cast<long long>(state));
    return CQFString();
}

CQFString toString(EDorerDataAccessResult result) {
    switch (result) {
        case eDorerDataAccessNonDefaults: return "Non-defaults returned";
        case eDorerDataAccessInvalidId: return "Invalid id";
        case eDorerDataAccessInvalidSize: return "Invalid size";
        case eDorerDataAccessVersionMismatch: return "Version mismatch";
        case eDorerDataAccessDefaults: return "Defaults returned";
    }
    doAssert(54, "NDorerShellResources", "Undefined EDorerDataAccessResult value.", static_cast<long long>(result));
    return CQFString();
}

}  // namespace NDorerShellResources
