// Which titles play each program chain of a title set as one of their
// chapters, found once per disc: looking a chain up costs the same on a
// disc of 99 titles of 999 chapters as on a disc of one.
#pragma once

#include <cstdint>

#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

// The format allows 999 chapters a title.
constexpr int kMaxIndexedChapters = kMaxTitles * 999;

struct ChapterEntry {
  uint8_t titleSet;
  uint8_t titleInSet;
  uint16_t pgcNumber;
  uint16_t part;     // 1-based
  uint16_t parts;    // the title's chapter count
  uint16_t lastPgc;  // the chain of the title's last chapter
};

struct ChapterIndex {
  int count;
  ChapterEntry entries[kMaxIndexedChapters];  // by set, chain, title in set, part
  uint8_t title[kMaxTitleSets + 1][256];      // the disc's number of title k of set v, 0 none
};

// Every chapter of every title set of the disc (VtsImageRef), and the disc's
// title numbers from `vmg`'s title table (the first entry naming a title
// wins, as players look it up). Chapters past the capacity are left out.
void BuildChapterIndex(ImageRef vmg, ChapterIndex* index);

// The chapters chain `pgcNumber` of set v plays: [*first, *last).
void ChaptersOfPgc(const ChapterIndex& index, int v, int pgcNumber, const ChapterEntry** first,
                   const ChapterEntry** last);

// The disc's number of title k of set v, or 0.
int DiscTitle(const ChapterIndex& index, int v, int k);
