// A journal of calls: the substitutes of outside libraries append one line per call to a
// file under HU_ROOT, so tests and people can see which calls were made, in order.
#pragma once

#include <string>
#include <vector>

namespace hu::journal {

// Appends line and a newline to the file at target_path (resolved under HU_ROOT); the
// whole line goes in one write, so lines of several processes never mix.
void append(const std::string& target_path, const std::string& line);

// The lines of the journal at target_path, without their newlines.
std::vector<std::string> read(const std::string& target_path);

}  // namespace hu::journal
