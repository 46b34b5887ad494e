#include "disc/title_end.h"

#include <algorithm>
#include <cstdio>

#include "disc/chapter_index.h"
#include "disc/command_decoder.h"
#include "disc/title_chain.h"
#include "disc/written_commands.h"

namespace {

// A chapter a title plays on through: the post commands of its chain run in
// the middle of that title.
struct PassedSlot {
  uint8_t titleSet;
  uint8_t title;  // the disc's number
  uint16_t part;
  int64_t slot;
};

struct Scratch {
  ChapterIndex index;
  int count;
  PassedSlot passed[kMaxIndexedChapters];
};
Scratch scratch;

bool SlotBefore(const PassedSlot& a, const PassedSlot& b) {
  return a.titleSet != b.titleSet ? a.titleSet < b.titleSet : a.slot < b.slot;
}

void CollectPassedSlots(ImageRef vmg) {
  BuildChapterIndex(vmg, &scratch.index);
  scratch.count = 0;
  for (int i = 0; i < scratch.index.count; ++i) {
    const ChapterEntry& e = scratch.index.entries[i];
    int title = DiscTitle(scratch.index, e.titleSet, e.titleInSet);
    if (e.pgcNumber == e.lastPgc || title == 0) continue;
    ImageRef vts = VtsImageRef(e.titleSet);
    int64_t slot = FindEndSlot(vts, PgcOffset(vts, TableOffset(vts, kVtsPgcitSector), e.pgcNumber), 0).slot;
    if (slot >= 0) scratch.passed[scratch.count++] = PassedSlot{e.titleSet, uint8_t(title), e.part, slot};
  }
  std::sort(scratch.passed, scratch.passed + scratch.count, SlotBefore);
}

// The last cell's command leaves the chain (a link, jump or call, taken or
// not), so the chain's post commands may never run.
bool LeavesByCellCommand(ImageRef vts, int64_t pgc) {
  int64_t command = CellCommandOffset(vts, pgc, vts.data[pgc + kPgcCellCount]);
  NavCommand c;
  if (command < 0 || !DecodeNavCommand(vts.data + command, &c)) return false;
  return c.then != NavOp::None && c.then != NavOp::Goto && c.then != NavOp::Break &&
         c.then != NavOp::SetTmpPML && c.then != NavOp::LinkNoLink;
}

// A title that plays chain `pgcNumber` of set v as a chapter other than its
// last, found in the chapter index; false when none does.
bool PlayedOnThrough(int v, int pgcNumber, TitleEnd* end) {
  const ChapterEntry *first, *last;
  ChaptersOfPgc(scratch.index, v, pgcNumber, &first, &last);
  for (const ChapterEntry* e = first; e != last; ++e) {
    int title = DiscTitle(scratch.index, e->titleSet, e->titleInSet);
    if (e->pgcNumber == e->lastPgc || title == 0) continue;
    end->other = title;
    end->part = e->part;
    return true;
  }
  return false;
}

// Whether a cell other than the last of the chain at `pgc` runs command n
// of the command table at `table`: in this chain, or in another that
// shares the table.
bool CellCommandShared(ImageRef vts, int64_t pgc, int64_t table, int n) {
  int64_t pgcit = TableOffset(vts, kVtsPgcitSector);
  for (int k = 1; k <= PgcCount(vts, pgcit); ++k) {
    int64_t other = PgcOffset(vts, pgcit, k);
    CommandTable commands;
    if (other < 0 || !ReadCommandTable(vts, other, &commands) || commands.offset != table) continue;
    int cells = vts.data[other + kPgcCellCount];
    for (int cell = 1; cell <= cells; ++cell) {
      int64_t entry = CellPlaybackEntry(vts, other, cell);
      if ((other != pgc || cell != cells) && entry >= 0 && vts.data[entry + kCellCommandNumber] == n)
        return true;
    }
  }
  return false;
}

// Another chain of the set whose command table offset leads to the same
// table as the chain at `pgc`: a command added there would end that chain
// too. Its number, or 0.
int ChainSharingTable(ImageRef vts, int64_t pgc, int64_t table) {
  int64_t pgcit = TableOffset(vts, kVtsPgcitSector);
  for (int k = 1; k <= PgcCount(vts, pgcit); ++k) {
    int64_t other = PgcOffset(vts, pgcit, k);
    CommandTable commands;
    if (other >= 0 && other != pgc && ReadCommandTable(vts, other, &commands) && commands.present &&
        commands.offset == table)
      return k;
  }
  return 0;
}

TitleEnd EndOf(ImageRef vmg, int t) {
  TitleChain chain;
  TitleEnd end{EndFixed::NoChain, 0, 0, -1, 0, 0, 0, false};
  if (!FindTitleChain(vmg, t, &chain)) return end;
  ImageRef vts = VtsImageRef(chain.titleSet);
  end.titleSet = chain.titleSet;
  end.pgcNumber = chain.pgcNumber;
  EndSlot at = FindEndSlot(vts, chain.pgc, t + 1);
  end.slot = at.slot;
  end.cellCommand = at.cellCommand;
  end.guarded = at.guarded;
  end.fixed = EndFixed::No;
  bool passed = false;
  if (end.slot < 0 || end.cellCommand > 0) {
    passed = PlayedOnThrough(chain.titleSet, chain.pgcNumber, &end);
  } else if (!end.guarded) {
    PassedSlot key{uint8_t(chain.titleSet), 0, 0, end.slot};
    const PassedSlot* found =
        std::lower_bound(scratch.passed, scratch.passed + scratch.count, key, SlotBefore);
    passed = found != scratch.passed + scratch.count && !SlotBefore(key, *found);
    if (passed) {
      end.other = found->title;
      end.part = found->part;
    }
  }
  // The title playing on needs the chain's own commands: the end goes in
  // front of them behind a test of this title's number. A cell command
  // leaves before any post command runs, so it cannot be guarded so.
  if (passed && end.cellCommand > 0) end.fixed = EndFixed::PlayedThrough;
  if (passed && end.cellCommand == 0) {
    end.guarded = true;
    end.slot = -1;
  }
  CommandTable table;
  ReadCommandTable(vts, chain.pgc, &table);
  // A guard keeps a shared table's other chains as they were; a plain post
  // command added to it would end them as well.
  if (end.fixed == EndFixed::No && end.slot < 0 && !end.guarded && end.cellCommand == 0 && table.present) {
    end.other = ChainSharingTable(vts, chain.pgc, table.offset);
    if (end.other > 0) end.fixed = EndFixed::SharedCommandTable;
  }
  int added = end.guarded ? 2 : 1;
  if (end.fixed == EndFixed::No && end.slot < 0 &&
      table.pre + table.post + table.cell + added > kMaxChainCommands)
    end.fixed = EndFixed::FullCommandTable;
  return end;
}

}  // namespace

EndSlot FindEndSlot(ImageRef vts, int64_t pgc, int title) {
  if (!LeavesByCellCommand(vts, pgc)) {
    CommandTable table;
    if (!ReadCommandTable(vts, pgc, &table) || table.post == 0) return EndSlot{-1, 0, false};
    int64_t first = table.offset + kTableHeaderSize + int64_t(kCommandSize) * table.pre;
    // Guards come in pairs, each skipping to the line behind its own end.
    int line = 0, guarded = 0, skipTo = 0;
    while (line + 1 < table.post && IsGuard(vts.data + first + kCommandSize * line, &guarded, &skipTo) &&
           skipTo == line + 3) {
      if (guarded == title) return EndSlot{first + kCommandSize * (line + 1), 0, true};
      line += 2;
    }
    return EndSlot{line < table.post ? first + kCommandSize * line : -1, 0, false};
  }
  int cells = vts.data[pgc + kPgcCellCount];
  int n = vts.data[CellPlaybackEntry(vts, pgc, cells) + kCellCommandNumber];
  CommandTable table;
  ReadCommandTable(vts, pgc, &table);
  // A command other cells run stays theirs: this cell gets one of its own.
  int64_t slot = CellCommandShared(vts, pgc, table.offset, n) ? -1 : CellCommandOffset(vts, pgc, cells);
  return EndSlot{slot, n, false};
}

void FindTitleEnds(ImageRef vmg, TitleEnds* out) {
  CollectPassedSlots(vmg);
  out->count = Disc.TitleCount < kMaxTitles ? Disc.TitleCount : kMaxTitles;
  for (int t = 0; t < out->count; ++t) out->title[t] = EndOf(vmg, t);
}

void FixedEndWords(int t, const TitleEnd& end, char* out, std::size_t capacity) {
  int n = t + 1;
  switch (end.fixed) {
    case EndFixed::No:
      std::snprintf(out, capacity, "%s", "");
      break;
    case EndFixed::NoChain:
      std::snprintf(out, capacity, "title %d has no program chain", n);
      break;
    case EndFixed::FullCommandTable:
      std::snprintf(out, capacity,
                    "title %d's end needs a command added to its program chain, which already holds the %d a "
                    "chain may have",
                    n, kMaxChainCommands);
      break;
    case EndFixed::PlayedThrough:
      std::snprintf(out, capacity,
                    "title %d's end is also the end of chapter %d of title %d, which plays on through it", n,
                    end.part, end.other);
      break;
    case EndFixed::SharedCommandTable:
      std::snprintf(out, capacity,
                    "title %d's program chain has no post command and shares its command table with program "
                    "chain %d, which an added one would end too",
                    n, end.other);
      break;
  }
}

void EndWritingWords(const TitleEnd& end, char* out, std::size_t capacity) {
  if (end.fixed != EndFixed::No)
    std::snprintf(out, capacity, "%s", "");
  else if (end.guarded)
    std::snprintf(out, capacity, "guarded post command");
  else if (end.cellCommand > 0 && end.slot >= 0)
    std::snprintf(out, capacity, "cell command %d", end.cellCommand);
  else if (end.cellCommand > 0)
    std::snprintf(out, capacity, "added cell command");
  else
    std::snprintf(out, capacity, "%s", end.slot < 0 ? "added post command" : "post command 1");
}

void FixedEndRefusal(int t, const TitleEnd& end, char* out, std::size_t capacity) {
  int n = t + 1;
  const char* keep = "\n非更新にしてください.";
  switch (end.fixed) {
    case EndFixed::No:
      std::snprintf(out, capacity, "%s", "");
      break;
    case EndFixed::NoChain:
      std::snprintf(out, capacity, "タイトル%dにはPGCがないため, 終了動作を変更できません.%s", n, keep);
      break;
    case EndFixed::FullCommandTable:
      std::snprintf(
          out, capacity,
          "タイトル%dの終了動作にはPGCにコマンドを追加する必要がありますが, コマンドが上限の%d個あるため, "
          "終了動作を変更できません.%s",
          n, kMaxChainCommands, keep);
      break;
    case EndFixed::PlayedThrough:
      std::snprintf(out, capacity,
                    "タイトル%dの終わりはタイトル%dのチャプター%dの終わりでもあるため, "
                    "タイトル%dの終了動作を変更できません（タイトル%dの再生が途切れます）.%s",
                    n, end.other, end.part, n, end.other, keep);
      break;
    case EndFixed::SharedCommandTable:
      std::snprintf(out, capacity,
                    "タイトル%dのPGCにはポストコマンドがなく, コマンドテーブルをPGC%dと共有しているため, "
                    "終了動作を変更できません（PGC%dの終了動作も変わります）.%s",
                    n, end.other, end.other, keep);
      break;
  }
}
