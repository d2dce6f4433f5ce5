// A generated C++ source: collected in memory, written in one go with the generator's banner.
#pragma once

#include <cstdarg>
#include <string>

namespace catalogue {

class CSourceFile {
public:
    explicit CSourceFile(std::string path);
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void blank() { mText += '\n'; }
    // Bytes as "0x.., " rows of sixteen.
    void byteRows(const unsigned char* bytes, size_t count);
    // Stops the generator when the file cannot be written.
    void write() const;

private:
    std::string mPath;
    std::string mText;
};

}  // namespace catalogue
