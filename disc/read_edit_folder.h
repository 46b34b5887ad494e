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
