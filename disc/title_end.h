// Whether a title's end can be changed by writing the first post command of
// the chain it ends in, and if not, why. Writing that command is exactly
// one title's end only when the chain's last cell does not leave by a cell
// command first, and no title plays on through those commands (as a chapter
// other than its last, or through another chain that shares its command
// table). A chain without a post command gets one: its command table grows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

enum class EndFixed : uint8_t { No, NoChain, CellCommand, FullCommandTable, PlayedThrough };

// The format's limit of commands in one chain's command table.
constexpr int kMaxChainCommands = 128;

struct TitleEnd {
  EndFixed fixed;
  int titleSet;
  int pgcNumber;  // the chain of its last chapter
  int64_t slot;   // its first post command in the set's image, -1 none:
                  // the command table grows to hold one
  int other;      // PlayedThrough: the disc's number of the title that plays on
  int part;       // through it as this chapter
};

struct TitleEnds {
  int count;
  TitleEnd title[kMaxTitles];  // title[t] for title t + 1
};

// Every title of the disc whose video manager is `vmg` (StoredVmgRef() as
// read) and whose title sets are VtsImageRef(n).
void FindTitleEnds(ImageRef vmg, TitleEnds* out);

// Why title t (0-based) keeps its end, in words for the command line
// ("title 2's program chain has no post command"); "" when it does not.
void FixedEndWords(int t, const TitleEnd& end, char* out, std::size_t capacity);

// How the end of a title that can be changed is written, in words for the
// command line ("post command 1", "added post command").
const char* EndWritingWords(const TitleEnd& end);

// The refusal shown when a change to such a title was asked for.
void FixedEndRefusal(int t, const TitleEnd& end, char* out, std::size_t capacity);
