// Whether a title's end can be changed, where it is written, and if not,
// why. A title ends with the first post command of its last chain, or with
// the command of that chain's last cell where that leaves the chain first.
// Writing it is exactly one title's end only when no title plays on through
// it (as a chapter other than its last, or through another chain that
// shares its command table); where one does, the end goes behind a test of
// the title number. A chain without a post command gets one, and a last
// cell whose command other cells run too gets one of its own: the command
// table grows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

enum class EndFixed : uint8_t { No, NoChain, FullCommandTable, PlayedThrough, SharedCommandTable };

// The format's limit of commands in one chain's command table.
constexpr int kMaxChainCommands = 128;

// Where the end of title `title` (the disc's number), whose last chapter's
// chain is at `pgc`, is written: the command of the chain's last cell when
// that leaves the chain (its post commands never run); else the command
// behind a guard of this title in front of the post commands (see
// GuardCommand); else the chain's own first post command, behind every guard.
struct EndSlot {
  int64_t slot;     // -1: none yet; the command table grows to hold it
  int cellCommand;  // the number of the last cell's command when it is the end, else 0
  bool guarded;     // the slot is behind this title's guard
};
EndSlot FindEndSlot(ImageRef vts, int64_t pgc, int title);

struct TitleEnd {
  EndFixed fixed;
  int titleSet;
  int pgcNumber;    // the chain of its last chapter
  int64_t slot;     // where its end is written in the set's image (see
                    // EndSlot), -1: the command table grows to hold it
  int cellCommand;  // as EndSlot's
  bool guarded;     // written behind a guard of its number, as another title
                    // plays on through its chain (the guard is added where
                    // slot is -1)
  int other;        // PlayedThrough: the disc's number of the title that plays on
  int part;         // through it as this chapter; SharedCommandTable: the
                    // number of the chain whose command table it is too
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
// command line ("post command 1", "added post command", "cell command 3");
// "" for a title that cannot be changed.
void EndWritingWords(const TitleEnd& end, char* out, std::size_t capacity);

// The refusal shown when a change to such a title was asked for.
void FixedEndRefusal(int t, const TitleEnd& end, char* out, std::size_t capacity);
