// The disc as the command line shows it: one line per title, or JSON whose
// shape scripts depend on (fields are only ever added at the end of an object).
#pragma once

#include <string>
#include <vector>

const char* ActionName(int kind);

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& s);

std::string DescribeText(const std::string& folder);
// With "warnings" and then "grows" (what the last patch in memory grew) last.
std::string DescribeJson(const std::string& folder, const std::vector<std::string>& warnings);
