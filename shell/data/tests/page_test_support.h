// Support of the shared-page tests: private object names, the system logger, and a reader
// process (dorer_page_probe) driven line by line.
#pragma once

#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hu/slog_record.h"
#include "hu_testing.h"
#include "pagewriter/page_writer.h"

namespace page_test {

// Page and access-object names of one test; both removed at the end.
struct Names {
    Names();
    ~Names();
    std::string page, lock;
};

// The system logger of the test's root, and its records.
class Logger {
public:
    explicit Logger(const hu::testing::TempRoot& root);
    std::vector<hu::slog::Record> records() const;
    // Waits until a record's text contains text; its records then.
    std::vector<hu::slog::Record> waitFor(const std::string& text) const;
    // Record texts containing text.
    std::vector<std::string> texts(const std::string& containing) const;

private:
    std::string path_;
    std::unique_ptr<hu::testing::Process> process_;
};

// One reader process.
class Probe {
public:
    explicit Probe(const std::map<std::string, std::string>& env = {});
    // The answer line of command; empty when none came (the process ended).
    std::string ask(const std::string& command);
    hu::testing::Process& process() { return process_; }

private:
    hu::testing::Process process_;
    size_t answered_ = 0;
};

// "[DorerPage V=1.3,D=0,PID=<pid>,TID=" - the start of every page log line of process pid.
std::string pagePrefix(pid_t pid);

}  // namespace page_test
