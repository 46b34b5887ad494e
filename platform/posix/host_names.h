// The POSIX side of drive paths: which host file a "X:\..." path names.
#pragma once

#include <string>

namespace platform {

// How the names of a drive path are matched to the host's. Names are found
// without regard to case, as Windows finds them (AnyCase). A file about to be
// made keeps its last name as spelled when that spelling does not exist
// (MadeAsSpelled): the engine names the files it makes after those a listing
// found, and looking through the folder for another spelling would read the
// whole folder again for every file made. AsSpelled asks the host nothing, for
// a first try that falls back to AnyCase.
enum class Spelling { AnyCase, MadeAsSpelled, AsSpelled };

// Host name of a drive path, or false when the path is not in drive form, its
// drive is not mapped or its bytes are not Shift-JIS.
bool ToHostName(const char* drivePath, std::string* host, Spelling spelling = Spelling::AnyCase);

// The folder holding a host name ("/a/b" -> "/a", "/a" -> "/").
std::string HostParent(const std::string& host);

}  // namespace platform
