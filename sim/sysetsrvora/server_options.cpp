#include "server_options.h"

#include <algorithm>
#include <cstdlib>

#include "hu/path.h"

namespace hu::sysetsrv {

namespace {

struct RequestName {
    const char* name;
    Request request;
};

constexpr RequestName kRequestNames[] = {
    {"trigger", Request::kTrigger},     {"store", Request::kStore},         {"storageinfo", Request::kStorageInfo},
    {"reload", Request::kReload},       {"actionlog", Request::kActionLog}, {"versioninfo", Request::kVersionInfo},
};

bool parseCount(const std::string& text, uint32_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
    value = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

bool parseRequest(const std::string& text, Request& request) {
    for (const RequestName& entry : kRequestNames) {
        if (text == entry.name) {
            request = entry.request;
            return true;
        }
    }
    return false;
}

}  // namespace

const char* requestName(Request request) {
    for (const RequestName& entry : kRequestNames) {
        if (entry.request == request) return entry.name;
    }
    return "?";
}

bool ServerOptions::answers(Request request) const {
    return std::find(unanswered.begin(), unanswered.end(), request) == unanswered.end();
}

const char* serverUsage() {
    return "Usage: sysetsrvora [option]...\n"
           "Settings server stand-in: owns the shared settings page, serves DSYSOnOff,\n"
           "DSYSDorerClientStore and DSYSDorerAdmin as \"DorerSrv\" and DSYSDorerClientGet as\n"
           "\"DorerPageProxy\", and keeps the stored settings in one file per partition.\n"
           "\n"
           "  --data-dir=DIR     partition files (default $HU_ROOT/var/sysetsrv)\n"
           "  --state=NAME       operating state at start: Unloaded, ReadOnly or FullyOperable\n"
           "                     (default FullyOperable)\n"
           "  --help             show this text\n"
           "\n"
           "Failure injection:\n"
           "  --refuse-store     answer every store with change id -1\n"
           "  --fail-reload      answer every reload with false\n"
           "  --io-failure       storage I/O fails: nothing is written or re-read, the partitions\n"
           "                     are reported inaccessible, the action log shows the failure\n"
           "  --delay=MS         answer every request MS milliseconds late\n"
           "  --drop-after=N     once N requests have been handled, close every connection of\n"
           "                     \"DorerSrv\" (the service is back at once; clients reconnect)\n"
           "  --no-answer=REQ    carry out REQ but never answer it; REQ is one of trigger, store,\n"
           "                     storageinfo, reload, actionlog, versioninfo (may be repeated)\n"
           "\n"
           "Environment: DORER_PAGE and DORER_PAGELOCK name the page and its access object\n"
           "(default /sysetpage, /sysetpage-lock); HU_ROOT is the root of the service endpoints.\n"
           "SIGTERM ends the server after the write in progress.\n";
}

bool parseServerOptions(const std::vector<std::string>& arguments, ServerOptions& options, std::string& error) {
    options.dataDirectory = resolve("/var/sysetsrv");
    for (const std::string& argument : arguments) {
        size_t equals = argument.find('=');
        std::string name = argument.substr(0, equals);
        std::string value = equals == std::string::npos ? std::string() : argument.substr(equals + 1);
        bool hasValue = equals != std::string::npos;
        bool ok = true;
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--refuse-store" && !hasValue) {
            options.faults.refuseStore = true;
        } else if (name == "--fail-reload" && !hasValue) {
            options.faults.failReload = true;
        } else if (name == "--io-failure" && !hasValue) {
            options.faults.storageIoFailure = true;
        } else if (name == "--data-dir" && !value.empty()) {
            options.dataDirectory = value;
        } else if (name == "--state" && hasValue) {
            options.initialState = value;
            ok = isOperatingState(value);
        } else if (name == "--delay") {
            ok = parseCount(value, options.answerDelayMs);
        } else if (name == "--drop-after") {
            ok = parseCount(value, options.dropAfterRequests) && options.dropAfterRequests > 0;
        } else if (name == "--no-answer") {
            Request request;
            ok = parseRequest(value, request);
            if (ok) options.unanswered.push_back(request);
        } else {
            error = "unknown option '" + argument + "'";
            return false;
        }
        if (!ok) {
            error = "bad value in '" + argument + "'";
            return false;
        }
    }
    return true;
}

}  // namespace hu::sysetsrv
