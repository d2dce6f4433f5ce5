#include "CDorerClientDataAccessor.h"

#include <cstdarg>

#include "DorerItemId.h"
#include "DorerPageGetLib.h"
#include "DorerShellLog.h"
#include "dorerDefaults.h"
#include "qf/CQFString.h"
#include "qf/QFTrace.h"
#include "sysetpagegetsh.h"

namespace {

const CQFTraceScopeDef kTraceScope("sys_data_systemsettings2_log");

constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 4;

// To the trace when the scope is enabled, and always to the system log.
void report(int severity, const char* function, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void report(int severity, const char* function, const char* fmt, ...) {
    CQFString text;
    va_list args;
    va_start(args, fmt);
    text.vformat(fmt, args);
    va_end(args);
    CQFTraceScope scope(kTraceScope, function);
    if (scope.isEnabled()) {
        if (severity == kSeverityError) {
            scope.sendFormattedError("%s", text.getCString());
        } else {
            scope.sendMessageUnconditionally(text.getCString());
        }
    }
    NDorerShellLog::log(severity, "%s", text.getCString());
}

// A page result other than success, version mismatch or not-found reads as "no value".
EDorerDataAccessResult pageResult(int code, uint32_t id) {
    switch (code) {
        case DORER_PAGE_OK: return eDorerDataAccessNonDefaults;
        case DORER_PAGE_VERSION_MISMATCH:
            report(kSeverityError, "getBuffer", "CDorerClientDataAccessor::getBuffer() item version mismatch!");
            return eDorerDataAccessVersionMismatch;
        case DORER_PAGE_NOT_FOUND:
            report(kSeverityWarning, "getBuffer", "CDorerClientDataAccessor::getBuffer() invalid id: %08x", id);
            return eDorerDataAccessInvalidId;
        default: return eDorerDataAccessInvalidId;
    }
}

}  // namespace

CDorerClientDataAccessor::CDorerClientDataAccessor(const char* pagePath, const char* lockPath) : mIsAttached(false) {
    setSharedPathes(pagePath, lockPath);
}

void CDorerClientDataAccessor::setSharedPathes(const char* pagePath, const char* lockPath) {
    int result = DorerPageGetSh_attach(pagePath, lockPath);
    if (result == DORER_PAGE_OK) {
        mIsAttached = true;
        return;
    }
    report(kSeverityError, "setSharedPathes",
           "CDorerClientDataAccessor::setSharedPathes() failed to attach to page: '%s', pagelock: '%s', res: %d",
           pagePath != nullptr ? pagePath : "", lockPath != nullptr ? lockPath : "", result);
}

void CDorerClientDataAccessor::update() {
    if (mIsAttached) DorerPageGetSh_update();
}

EDorerDataAccessResult CDorerClientDataAccessor::getBuffer(uint32_t clientKey, uint32_t id, CQFBuffer& out) {
    if (mCache.getChange(clientKey, id, out)) return eDorerDataAccessNonDefaults;

    std::vector<uint8_t> work(dorerDefaults_getSize(id));
    uint32_t length = 0;
    EDorerDataAccessResult result = eDorerDataAccessInvalidId;
    if (mIsAttached) {
        result = pageResult(DorerPageGetSh_getMappedCbBuffer(id, dorerDefaults_getVersion(id), work.data(),
                                                             static_cast<uint32_t>(work.size()), &length),
                            id);
    }

    if (result != eDorerDataAccessNonDefaults) {
        const uint8_t* defaults = nullptr;
        uint16_t defaultsLength = 0;
        int code = dorerDefaults_getBuffer(id, &defaults, &defaultsLength);
        if (code == DORER_PAGE_OK) {
            work.assign(defaults, defaults + defaultsLength);
            length = defaultsLength;
            if (result == eDorerDataAccessInvalidId) result = eDorerDataAccessDefaults;
        } else if (code != DORER_PAGE_NOT_FOUND && result == eDorerDataAccessInvalidId) {
            report(kSeverityError, "getBuffer",
                   "CDorerClientDataAccessor::getBuffer()                               unexpected return code "
                   "from dorerDefaults_getBuffer()");
        }
    }

    if (result == eDorerDataAccessInvalidId) return result;
    if (DorerItemId_isBitField(id) && length == 1) work[0] = DorerItemId_fieldValue(id, work[0]);
    // The framework's buffer grows to take the bytes, so the copy is always whole.
    out.resize(length);
    if (length > 0) out.copyTo(work.data(), length, 0);
    return result;
}
