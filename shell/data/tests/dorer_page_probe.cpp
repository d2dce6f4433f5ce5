// A reader process for the tests: drives the page reader and a data accessor from commands on
// standard input, one answer line per command on standard output.
//   attach <page> <lock>        -> "attach <code>"        ("-" stands for an empty name)
//   update                      -> "update <code>"
//   read <id> <version> <size>  -> "read <code> <hex>"    (the page reader's item copy)
//   accessor <page> <lock>      -> "accessor attached=<0|1>"
//   get <id>                    -> "get <result> <hex>"   (out starts as "ee")
//   set <id> <hex>              -> "set"                  (a pending change of this process)
//   aupdate                     -> "aupdate"
// Numbers are hexadecimal.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "CDorerClientDataAccessor.h"
#include "sysetpagegetsh.h"
#include "test_defaults.h"

namespace {

constexpr uint32_t kClientKey = 1;

std::string hex(const uint8_t* data, size_t size) {
    std::string text;
    char byte[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        text += byte;
    }
    return text;
}

CQFBuffer fromHex(const std::string& text) {
    CQFBuffer buffer;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        uint8_t byte = static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16));
        buffer.copyTo(&byte, 1, buffer.getSize());
    }
    return buffer;
}

std::string name(const std::string& word) { return word == "-" ? "" : word; }

}  // namespace

int main() {
    test_defaults::install();
    TQFRef<CDorerClientDataAccessor> accessor;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command, a, b;
        in >> command;
        std::string answer;
        if (command == "attach") {
            in >> a >> b;
            answer = "attach " + std::to_string(DorerPageGetSh_attach(name(a).c_str(), name(b).c_str()));
        } else if (command == "update") {
            answer = "update " + std::to_string(DorerPageGetSh_update());
        } else if (command == "read") {
            uint32_t id, version, size;
            in >> std::hex >> id >> version >> size;
            std::vector<uint8_t> buffer(size);
            uint32_t length = 0;
            int code = DorerPageGetSh_getMappedCbBuffer(id, static_cast<uint16_t>(version), buffer.data(), size, &length);
            answer = "read " + std::to_string(code) + " " + hex(buffer.data(), code == 0 ? length : 0);
        } else if (command == "accessor") {
            in >> a >> b;
            accessor = new CDorerClientDataAccessor(name(a).c_str(), name(b).c_str());
            answer = std::string("accessor attached=") + (accessor->isAttached() ? "1" : "0");
        } else if (command == "get") {
            uint32_t id;
            in >> std::hex >> id;
            CQFBuffer out = fromHex("ee");
            int result = accessor->getBuffer(kClientKey, id, out);
            answer = "get " + std::to_string(result) + " " + hex(out.getData(), out.getSize());
        } else if (command == "set") {
            uint32_t id;
            in >> std::hex >> id >> a;
            accessor->addChange(kClientKey, id, fromHex(a));
            answer = "set";
        } else if (command == "aupdate") {
            accessor->update();
            answer = "aupdate";
        } else {
            answer = "unknown " + command;
        }
        std::cout << answer << std::endl;
    }
    return 0;
}
