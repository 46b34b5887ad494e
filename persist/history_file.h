// The history file: the edit-folder text and the batch preset choice, kept
// from one run to the next in HistoryPath (persist/program_paths.h).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kHistoryFileSize = 300;

// Start-up defaults (the program drive's VIDEO_TS folder, every title's
// default action), then whatever the file holds. A file that is short or
// carries another identification is deleted; the fields that arrived before
// the end stay. Never shows a message.
void LoadHistory();
// Writes the file anew; a file that cannot be written whole is deleted.
// Never shows a message.
void SaveHistory();
