// Helpers for the folder text and command text the user types. Paths are
// Shift-JIS bytes, so a 0x5C byte may be the second half of a character.
#pragma once

#include <cstddef>

void RemoveSpaces(char* s);
int IsSjisLeadByte(unsigned char c);
int SjisByteClass(const char* s, std::size_t p);
void AddTrailingBackslash(char* path);
