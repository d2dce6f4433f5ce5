// The answers of the settings service that the running command still waits for. One
// registry per process, reached only under the shared-data lock (CDorerShellSharedDataLock).
#pragma once

#include <cstdint>
#include <vector>

#include "qf/CQFString.h"

enum eMarkType {
    eOnOffComponentConnected = 0,
    eAdminComponentConnected = 1,
    eOnOffCurrentOperatingState = 2,
    eOnOffResponseTriggerNewState = 3,
    eDorerComponentConnected = 4,
    eDorerResponseStoreChange = 5,
    eDorerAttributeLastStoredChangeID = 6,
    eAdminAttributeResetCount = 7,
    eAdminAttributeErrorLog = 8,
    eAdminStartupLogResponse = 9,
    eAdminStorageInfo = 10,
    eAdminReload = 11,
    eAdminActionLog = 12,
    eAdminVersionInfo = 13,
    eClientResponsePendingChangeId = 14,
};

class CDorerShellMarks {
public:
    struct SMark {
        eMarkType mType;
        uint32_t mCrc;
        bool operator==(const SMark& other) const { return mType == other.mType && mCrc == other.mCrc; }
    };

    // Appends the mark (equal marks may be present more than once); traced and logged.
    void registerMark(eMarkType type, uint32_t crc);
    // Removes the first equal mark; false when there is none. Traced and logged either way.
    bool unregisterMark(eMarkType type, uint32_t crc);
    bool isEmpty() const { return mMarks.empty(); }
    const std::vector<SMark>& getMarks() const { return mMarks; }

    // The type's name; an undefined value asserts and gives empty text.
    static CQFString toString(eMarkType type);

private:
    std::vector<SMark> mMarks;
};
