// The command line of sysetsrvora: data directory, start state and the failure-injection
// switches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings_server.h"

namespace hu::sysetsrv {

// The requests a --no-answer switch can silence.
enum class Request { kTrigger, kStore, kStorageInfo, kReload, kActionLog, kVersionInfo };
// The request's name as --no-answer takes it.
const char* requestName(Request request);

// The failure-injection switches: refusals answered by the service binding, the storage
// failure by a failing storage in front of the real one.
struct ServerFaults {
    bool refuseStore = false;       // every store answered with -1
    bool failReload = false;        // every reload answered with false
    bool storageIoFailure = false;  // storage can be neither written nor read
};

struct ServerOptions {
    std::string dataDirectory;  // default under HU_ROOT
    std::string initialState = kStateFullyOperable;
    ServerFaults faults;
    uint32_t answerDelayMs = 0;
    uint32_t dropAfterRequests = 0;  // 0: never
    std::vector<Request> unanswered;
    bool help = false;

    bool answers(Request request) const;
};

// False with error for an unknown option or a bad value.
bool parseServerOptions(const std::vector<std::string>& arguments, ServerOptions& options, std::string& error);
const char* serverUsage();

}  // namespace hu::sysetsrv
