// The one flow that changes a disc, shared by both front ends. The front end
// reads its rows and options back into Disc when execute asks for them.
#pragma once

enum ExecuteOutcome {
  ExecuteRefused,  // a check failed or the user said no; nothing written
  ExecuteFailed,   // a write failed; the folder is as it was, unless replacing the
                   // originals failed half-way, which its message lists
  ExecuteSucceeded,
};

// Called before anything is asked: the front end reads its rows and options
// back into Disc and returns the edit-folder text, or null to stop (having
// said why). Execute then refuses a chosen end players cannot follow, asks
// once about every playback warning (Question::kPlaybackWarnings, its text
// opening with kPlaybackWarningsQuestion), and asks whether to update the disc.
using CollectSettings = const char* (*)(void* context);
ExecuteOutcome Execute(CollectSettings collect, void* context);
// For a front end whose settings are in Disc already.
ExecuteOutcome Execute(const char* editFolderText);

extern const char kPlaybackWarningsQuestion[];

// Busy while patching and writing; front ends ignore commands meanwhile.
extern int Busy;
