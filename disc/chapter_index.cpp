#include "disc/chapter_index.h"

#include <algorithm>

#include "disc/title_chain.h"

namespace {

bool Before(const ChapterEntry& a, const ChapterEntry& b) {
  if (a.titleSet != b.titleSet) return a.titleSet < b.titleSet;
  if (a.pgcNumber != b.pgcNumber) return a.pgcNumber < b.pgcNumber;
  if (a.titleInSet != b.titleInSet) return a.titleInSet < b.titleInSet;
  return a.part < b.part;
}

void IndexTitleSet(int v, ChapterIndex* index) {
  ImageRef vts = VtsImageRef(v);
  int titles = ChapterTitleCount(vts);
  for (int k = 1; k <= titles && k <= 255; ++k) {
    int parts = ChapterCount(vts, k);
    int last = parts > 0 ? ChapterPgcNumber(vts, k, parts) : 0;
    for (int part = 1; part <= parts && index->count < kMaxIndexedChapters; ++part) {
      int pgc = ChapterPgcNumber(vts, k, part);
      if (pgc > 0)
        index->entries[index->count++] = ChapterEntry{uint8_t(v),     uint8_t(k),      uint16_t(pgc),
                                                      uint16_t(part), uint16_t(parts), uint16_t(last)};
    }
  }
}

}  // namespace

void BuildChapterIndex(ImageRef vmg, ChapterIndex* index) {
  index->count = 0;
  for (auto& row : index->title) std::fill(row, row + 256, uint8_t(0));
  for (int t = kMaxTitles - 1; t >= 0; --t) {
    TitleChain chain;
    FindTitleChain(vmg, t, &chain);
    if (chain.titleSet >= 1 && chain.titleSet <= kMaxTitleSets && chain.titleInSet >= 1)
      index->title[chain.titleSet][chain.titleInSet] = uint8_t(t + 1);
  }
  int sets = Disc.TitleSetCount < kMaxTitleSets ? Disc.TitleSetCount : kMaxTitleSets;
  for (int v = 1; v <= sets; ++v) IndexTitleSet(v, index);
  std::sort(index->entries, index->entries + index->count, Before);
}

void ChaptersOfPgc(const ChapterIndex& index, int v, int pgcNumber, const ChapterEntry** first,
                   const ChapterEntry** last) {
  ChapterEntry key{uint8_t(v), 0, uint16_t(pgcNumber), 0, 0, 0};
  const ChapterEntry* end = index.entries + index.count;
  auto byChain = [](const ChapterEntry& a, const ChapterEntry& b) {
    return a.titleSet != b.titleSet ? a.titleSet < b.titleSet : a.pgcNumber < b.pgcNumber;
  };
  if (v < 1 || v > 255 || pgcNumber < 1 || pgcNumber > 0xFFFF) {
    *first = *last = end;
    return;
  }
  *first = std::lower_bound(index.entries, end, key, byChain);
  *last = std::upper_bound(*first, end, key, byChain);
}

int DiscTitle(const ChapterIndex& index, int v, int k) {
  return v >= 1 && v <= kMaxTitleSets && k >= 1 && k <= 255 ? index.title[v][k] : 0;
}
