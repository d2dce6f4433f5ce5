// One system-log record: its datagram layout on "/dev/slog" and its one-line text form,
// shared by the senders, the logger daemon and the readers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hu::slog {

struct Record {
    int64_t time_ns = 0;  // CLOCK_REALTIME
    int32_t pid = 0;
    int32_t opcode = 0;
    int32_t severity = 0;
    std::string text;
};

// Datagram: fixed header then the NUL-terminated text.
std::vector<char> encode(const Record& record);
// The fixed header alone, for a sender that writes the text behind it itself.
constexpr size_t kWireHeaderSize = 24;
void encodeHeader(int64_t time_ns, int32_t pid, int32_t opcode, int32_t severity, char* out);
std::optional<Record> decode(const char* data, size_t size);

// "<seconds>.<nanoseconds> pid=<pid> opcode=0x<hex> severity=<n> <text>", with backslash and
// newline escaped so one record is always one line.
std::string formatLine(const Record& record);
std::optional<Record> parseLine(const std::string& line);

// Every record of a log file, in order; lines that do not parse are skipped.
std::vector<Record> readFile(const std::string& host_path);

}  // namespace hu::slog
