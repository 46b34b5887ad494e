// Helpers for the folder text and command text the user types. Paths are
// Shift-JIS bytes, so a 0x5C byte may be the second half of a character.
#pragma once

#include <cstddef>

void RemoveSpaces(char* s);
int IsSjisLeadByte(unsigned char c);
int SjisByteClass(const char* s, std::size_t p);
void AddTrailingBackslash(char* path);
// Length of the drive and folder part of a path: up to and including its last
// backslash that is not the second byte of a double-byte character; 0 when
// there is none.
std::size_t FolderPartLength(const char* path);

// The folder dialog's "..": cuts `path` right after its second-to-last
// backslash, stepping over the second byte of every double-byte character;
// a path without one above position 0 (a drive root) stays as it is.
void CutToParentFolder(char* path);
// Appends `name` and a backslash when the result fits `capacity` bytes with
// its terminator; otherwise returns false and leaves `path` as it was.
bool AppendFolderName(char* path, std::size_t capacity, const char* name);
