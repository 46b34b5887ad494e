// The project file: a 16-byte identification and the whole state image, so
// that an edit can be resumed later, also on another machine.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kProjectFileSize = 8398128;

// Writes the state to `path` (a full path, Shift-JIS) all or nothing: a
// failed write leaves an older project as it was. ProjectPath becomes
// `path` first, so the file remembers where it was saved. Shows the outcome.
bool SaveProjectFile(const char* path);

// Loads `path` over the state. ProjectPath becomes `path` whatever happens;
// a file that cannot be read whole, has another identification or holds a
// state that could not be shown or executed safely is refused with a
// message, and then the state is otherwise as it was. No message on success.
bool LoadProjectFile(const char* path);
// The same for a file's bytes already in memory.
bool LoadProjectBytes(const uint8_t* bytes, std::size_t size);
