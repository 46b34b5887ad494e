// The POSIX side of drive paths: which host file a "X:\..." path names.
#pragma once

#include <string>

namespace platform {

// Host name of a drive path, or false when the path is not in drive form, its
// drive is not mapped or its bytes are not Shift-JIS.
bool ToHostName(const char* drivePath, std::string* host);

// The folder holding a host name ("/a/b" -> "/a", "/a" -> "/").
std::string HostParent(const std::string& host);

}  // namespace platform
