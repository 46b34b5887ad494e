// The one flow that changes a disc, shared by both front ends. The caller
// has already read its rows and options back into Disc.
#pragma once

enum ExecuteOutcome {
  ExecuteRefused,  // a check failed or the user said no; nothing written
  ExecuteFailed,   // a write failed; the folder is as it was, unless replacing the
                   // originals failed half-way, which its message lists
  ExecuteSucceeded,
};

ExecuteOutcome Execute(const char* editFolderText);

// Busy while patching and writing; front ends ignore commands meanwhile.
extern int Busy;
