// Whole-name, case-sensitive matching of item names against patterns: '*' any run (also
// empty), '?' one character, '[set]' one character of a set ('!' first negates, a-z ranges,
// ']' first is a member), any other character itself. An empty pattern matches nothing.
#pragma once

bool DorerNamePattern_match(const char* pattern, const char* name);
