// Where the program lives, and the files it keeps beside itself.
#pragma once

#include "disc/disc_state.h"

// Drive and folder of the program file, ending in a backslash (C:\Tools\).
extern char ProgramFolder[kPathCapacity];
// The history file; empty when the program's name leaves no safe one.
extern char HistoryPath[kPathCapacity];

// programPath: the program file's full path, Shift-JIS. A name ending in
// ".EXE" (any case) has those four characters replaced by ".DAT"; any other
// name gets ".DAT" appended, so the history file is never the program
// itself. A path too long for either rule leaves HistoryPath empty rather
// than cut to some other file's name.
void SetProgramPaths(const char* programPath);
