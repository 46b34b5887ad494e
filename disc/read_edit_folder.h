// Checking the edit folder and reading its information files into Disc.
#pragma once

#include "disc/read_error.h"

enum ReadOutcome {
  FolderRejected,  // not a full path, or no such folder; EditFolder unchanged
  FilesRejected,   // EditFolder replaced, but a file was missing or faulty
  FolderRead,      // Disc holds the disc
};

// Shows every failure through the message seam, then leaves no disc loaded.
ReadOutcome ReadEditFolder(const char* editFolderText);

// Reads the information files of `infoFolder` (ending in a backslash) into
// Disc beside the video files of Disc.EditFolder, with every check of a
// folder read but no BUP to fall back on and nothing shown: false with the
// first fault. What a backup without a record must pass to be trusted.
bool ReadInfoFilesFrom(const char* infoFolder, ReadFault* fault);

// Drops the loaded disc: counts and file tables to 0, images kept.
void FailureEnding();

// Whether `folder` (ending in a backslash) holds the video object files the
// loaded disc was read with. The images describe those files sector by
// sector; written beside another disc's video they would play the wrong
// pictures or none. Shows which file differs when not.
bool HoldsDiscRead(const char* folder);
