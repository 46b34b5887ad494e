// Which program chain ends a title. The title's entry in the video manager
// names its title set and its number there; the title set's chapter table
// names the chain of every chapter, and the title ends with the post
// commands of its last chapter's chain. Titles need not be chains in order:
// a title may span several chains, and several titles may end in one.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

struct TitleChain {
  int titleSet;    // 1-based, from the title's entry
  int titleInSet;  // the title's number within the set
  int pgcNumber;   // of the last chapter: 0 none, -1 the chapter table leaves its image
  int64_t pgc;     // its offset in the title set's image, or -1
};

// Title t (0-based). False when the title has no chain to follow: its entry,
// title set, chapters or chain are missing or leave their image. The fields
// found before that are filled in either way.
bool FindTitleChain(ImageRef vmg, int t, TitleChain* chain);
