// Checking the edit folder and reading its information files into Disc.
#pragma once

enum ReadOutcome {
  FolderRejected,  // not a full path, or no such folder; EditFolder unchanged
  FilesRejected,   // EditFolder replaced, but a file was missing or faulty
  FolderRead,      // Disc holds the disc
};

// Shows every failure through the message seam, then leaves no disc loaded.
ReadOutcome ReadEditFolder(const char* editFolderText);

// Drops the loaded disc: counts and file tables to 0, images kept.
void FailureEnding();

// Whether `folder` (ending in a backslash) holds the video object files the
// loaded disc was read with. The images describe those files sector by
// sector; written beside another disc's video they would play the wrong
// pictures or none. Shows which file differs when not.
bool HoldsDiscRead(const char* folder);
