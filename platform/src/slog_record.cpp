#include "hu/slog_record.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace hu::slog {
namespace {

constexpr uint32_t kMagic = 0x31474c53;  // "SLG1"

struct WireHeader {
    uint32_t magic;
    int32_t pid;
    int32_t opcode;
    int32_t severity;
    int64_t time_ns;
};

std::string escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

static_assert(sizeof(WireHeader) == kWireHeaderSize, "the wire header has no padding");

void encodeHeader(int64_t time_ns, int32_t pid, int32_t opcode, int32_t severity, char* out) {
    WireHeader header{kMagic, pid, opcode, severity, time_ns};
    std::memcpy(out, &header, sizeof header);
}

std::vector<char> encode(const Record& record) {
    std::vector<char> out(kWireHeaderSize + record.text.size() + 1);
    encodeHeader(record.time_ns, record.pid, record.opcode, record.severity, out.data());
    std::memcpy(out.data() + kWireHeaderSize, record.text.c_str(), record.text.size() + 1);
    return out;
}

std::optional<Record> decode(const char* data, size_t size) {
    WireHeader header{};
    if (size < sizeof header + 1) return std::nullopt;
    std::memcpy(&header, data, sizeof header);
    if (header.magic != kMagic) return std::nullopt;
    const char* text = data + sizeof header;
    size_t text_room = size - sizeof header;
    Record record{header.time_ns, header.pid, header.opcode, header.severity,
                  std::string(text, strnlen(text, text_room))};
    return record;
}

std::string formatLine(const Record& record) {
    char head[96];
    std::snprintf(head, sizeof head, "%" PRId64 ".%09" PRId64 " pid=%d opcode=0x%x severity=%d ",
                  record.time_ns / 1000000000, record.time_ns % 1000000000, record.pid,
                  static_cast<unsigned>(record.opcode), record.severity);
    return head + escape(record.text);
}

std::optional<Record> parseLine(const std::string& line) {
    long long seconds = 0, nanos = 0;
    int pid = 0, severity = 0, consumed = 0;
    unsigned opcode = 0;
    if (std::sscanf(line.c_str(), "%lld.%lld pid=%d opcode=0x%x severity=%d %n", &seconds, &nanos, &pid, &opcode,
                    &severity, &consumed) != 5 ||
        consumed == 0) {
        return std::nullopt;
    }
    Record record{seconds * 1000000000 + nanos, pid, static_cast<int32_t>(opcode), severity,
                  unescape(line.substr(static_cast<size_t>(consumed)))};
    return record;
}

std::vector<Record> readFile(const std::string& host_path) {
    std::vector<Record> records;
    std::ifstream in(host_path);
    std::string line;
    while (std::getline(in, line)) {
        if (auto record = parseLine(line)) records.push_back(*record);
    }
    return records;
}

}  // namespace hu::slog
