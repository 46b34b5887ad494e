// The POSIX side of drive paths: which host file a "X:\..." path names.
#pragma once

#include <string>

namespace platform {

// Host name of a drive path, or false when the path is not in drive form, its
// drive is not mapped or its bytes are not Shift-JIS. Names are found without
// regard to case, as Windows finds them; with `made`, for a file about to be
// made, a last name that does not exist as spelled is kept as spelled without
// looking through the folder for another spelling: the engine names the files
// it makes after those a listing found, and a look per file made would read
// the whole folder again for each.
bool ToHostName(const char* drivePath, std::string* host, bool made = false);

// The folder holding a host name ("/a/b" -> "/a", "/a" -> "/").
std::string HostParent(const std::string& host);

}  // namespace platform
