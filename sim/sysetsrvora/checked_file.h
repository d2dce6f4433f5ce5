// Files that are either wholly the last version written or recognisably damaged: the content
// is framed by a magic word, its length and a CRC-32, and replaced atomically (temporary file,
// fsync, rename, fsync of the directory), so a process killed at any moment leaves the old or
// the new content behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hu::sysetsrv {

enum class FileRead {
    kValid,
    kAbsent,
    kDamaged,      // short, wrong magic, wrong length or checksum
    kUnreadable,   // present but the read failed
};

FileRead readCheckedFile(const std::string& path, std::vector<uint8_t>& content);
// False with error set when any step failed; the old file is then untouched.
bool writeCheckedFile(const std::string& path, const std::vector<uint8_t>& content, std::string& error);

// The framing alone, for tests that damage a file on purpose.
std::vector<uint8_t> frameContent(const std::vector<uint8_t>& content);

}  // namespace hu::sysetsrv
