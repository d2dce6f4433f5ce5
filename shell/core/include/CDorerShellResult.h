// The outcome of a shell command: an error code and the output text.
#pragma once

#include <cstdint>

#include "qf/CQFString.h"

enum EShellErrorCode : uint32_t {
    eShellValid = 0,                 // "VALID"
    eShellProxyDisconnected = 1,     // "PROXY DISCONNECTED"
    eShellProxyAlreadyConnected = 2, // "PROXY ALREADY CONNECTED"
    eShellAdjNotFound = 3,           // "ADJ NOT FOUND"
    eShellKeyNotFound = 4,           // "KEY NOT FOUND"
    eShellCbDataGroupNotFound = 5,   // "CB DATA GROUP NOT FOUND"
    eShellSyntaxError = 6,           // "SYNTAX ERROR"
    eShellIncorrectValue = 7,        // "INCORRECT VALUE SIZE|FORMAT"
    eShellServerUnloaded = 8,        // "SERVER UNLOADED. USE COMMAND setstate"
    eShellTriggerStateFailed = 9,    // "TRIGGER STATE FAILED"
    eShellAdminRequestFailed = 10,   // "ADMINISTRATION REQUEST FAILED"
    eShellInvalid = 11,              // "INVALID"
};

class CDorerShellResult {
public:
    CDorerShellResult() = default;
    CDorerShellResult(uint32_t error, const CQFString& data) : mError(error), mData(data) {}

    uint32_t getError() const { return mError; }
    bool isValid() const { return mError == eShellValid; }

    uint32_t mError = eShellInvalid;
    CQFString mData;
};

namespace NDorerShellResources {
// The code's text; an undefined code asserts and gives empty text.
CQFString toString(EShellErrorCode code);
}  // namespace NDorerShellResources
