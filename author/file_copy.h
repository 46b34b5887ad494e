// Small file helpers shared by the writer, the backup and execute.
#pragma once

#include <cstdio>

// Copies the whole of `sourcePath` into the open file `to`. False on any
// error; *readFailed tells whether the source was at fault.
bool CopyFileContent(const char* sourcePath, std::FILE* to, bool* readFailed);

// An information file or its backup: the extension .IFO or .BUP in any case.
bool HasIfoOrBupExtension(const char* name);
