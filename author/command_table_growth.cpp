#include "author/command_table_growth.h"

#include <algorithm>
#include <cstring>

#include "author/vts_patch.h"
#include "disc/byte_order.h"
#include "disc/disc_check.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "disc/written_commands.h"
#include "platform/platform.h"

namespace {

// A new command table: its header and one post command.
constexpr int kNewTableSize = kTableHeaderSize + kCommandSize;
constexpr int kCommandTableEnd = 6;  // in a command table's header
constexpr int kMaxPgcs = 0xFFFF;

TitleEnds Ends;
uint32_t PgcStarts[kMaxPgcs];

int64_t StoreUsed() { return int64_t(Disc.IfoOffset[Disc.TitleSetCount]) + Disc.IfoSize[Disc.TitleSetCount]; }

// One past the last command of the table.
int64_t TableEnd(const CommandTable& t) {
  return t.offset + kTableHeaderSize + int64_t(kCommandSize) * (t.pre + t.post + t.cell);
}

// One past the last byte VTS_PGCIT records as its own.
int64_t PgcitEnd(ImageRef vts, int64_t pgcit) {
  return pgcit + int64_t(uint32_t(ReadBe32(vts.data + pgcit + 4))) + 1;
}

// Titles whose end another title's differs from in one command, each to
// be guarded by its number.
bool Disagree[kMaxTitles];

// The titles whose slot is yet to be added: a post command where their
// chain has none, a cell command of their own, a guarded end.
bool Grows(int j) {
  const TitleEnd& end = Ends.title[j];
  return end.fixed == EndFixed::No && (end.slot < 0 || Disagree[j]) && ActionWritesEnd(j);
}

void FindGrowingEnds() {
  FindTitleEnds(VmgImageRef(), &Ends);
  FindDisagreeingEnds(Disagree);
}

// The first sector behind VTS_PGCIT that another table of the file takes,
// else the file's end: the table may grow up to there.
int64_t PgcitLimit(ImageRef vts, int64_t pgcitSector) {
  int64_t limit = vts.size / kSectorSize;
  for (int field : kVtsTableSectors) {
    int64_t sector = FieldValue(vts, field);
    if (sector > pgcitSector && sector < limit) limit = sector;
  }
  return limit;
}

// Title set v's file grows by `sectors` whole sectors in front of sector
// `from`; the tables from there on move with their fields, the later files
// of the store with their offsets.
void GrowFile(int v, int64_t from, int64_t sectors) {
  int64_t bytes = sectors * kSectorSize;
  int64_t at = Disc.IfoOffset[v] + from * kSectorSize;
  std::memmove(Disc.IfoStore + at + bytes, Disc.IfoStore + at, size_t(StoreUsed() - at));
  std::memset(Disc.IfoStore + at, 0, size_t(bytes));
  Disc.IfoSize[v] += int32_t(bytes);
  for (int w = v + 1; w <= Disc.TitleSetCount; ++w) Disc.IfoOffset[w] += int32_t(bytes);
  uint8_t* image = VtsImage(v);
  for (int field : kVtsTableSectors) {
    int64_t sector = uint32_t(ReadBe32(image + field));
    if (sector >= from) WriteBe32(image + field, int32_t(sector + sectors));
  }
}

// Every chain's parts and every search pointer of title set v's VTS_PGCIT
// that lie at or behind `at` follow `size` bytes put in there; each chain
// once, however many pointers name it.
void FollowInsertion(int v, int64_t pgcit, int64_t at, int size) {
  ImageRef vts = VtsImageRef(v);
  uint8_t* image = VtsImage(v);
  int count = PgcCount(vts, pgcit), starts = 0;
  for (int k = 1; k <= count; ++k) {
    int64_t pgc = PgcOffset(vts, pgcit, k);
    if (pgc >= 0) PgcStarts[starts++] = uint32_t(pgc);
  }
  std::sort(PgcStarts, PgcStarts + starts);
  starts = int(std::unique(PgcStarts, PgcStarts + starts) - PgcStarts);
  for (int i = 0; i < starts; ++i) {
    int64_t pgc = PgcStarts[i];
    for (int field : kPgcPartOffsets) {
      int offset = ReadBe16(image + pgc + field);
      if (offset != 0 && pgc < at && at <= pgc + offset) WriteBe16(image + pgc + field, offset + size);
    }
  }
  for (int k = 1; k <= count; ++k) {
    uint8_t* pointer = image + pgcit + int64_t(kSearchPointerSize) * k + 4;
    int64_t offset = uint32_t(ReadBe32(pointer));
    if (pgcit + offset >= at) WriteBe32(pointer, int32_t(offset + size));
  }
}

// Puts `size` zero bytes into title set v's VTS_PGCIT at `at` (an offset in
// the set's image), growing the file where the table outgrows its sectors.
// False, with nothing changed, where `at` lies outside the table or the
// grown file would not fit the store: whatever its caller checked, a
// damaged table must not move bytes it does not hold.
bool InsertIntoPgcit(int v, int64_t at, int size) {
  ImageRef vts = VtsImageRef(v);
  int64_t pgcit = TableOffset(vts, kVtsPgcitSector);
  if (pgcit < 0) return false;
  int64_t end = PgcitEnd(vts, pgcit);
  int64_t limit = PgcitLimit(vts, pgcit / kSectorSize);
  int64_t sectors = (end + size - limit * kSectorSize + kSectorSize - 1) / kSectorSize;
  if (at < pgcit || at > end || StoreUsed() + (sectors > 0 ? sectors : 0) * kSectorSize > kIfoStoreCapacity)
    return false;
  if (sectors > 0) GrowFile(v, limit, sectors);
  FollowInsertion(v, pgcit, at, size);
  uint8_t* image = VtsImage(v);
  std::memmove(image + at + size, image + at, size_t(end - at));
  std::memset(image + at, 0, size_t(size));
  WriteBe32(image + pgcit + 4, int32_t(end + size - 1 - pgcit));
  return true;
}

// `count` post commands (zero bytes) put in at post command `line`
// (0-based) of the chain at `pgc` of title set v; a chain without a command
// table gets one right behind its header, where authoring programs put it.
// The Gotos of the post commands follow the lines they name. Returns where
// the first new command lies, or -1 where they could not be put in.
int64_t InsertPostCommands(int v, int64_t pgc, int line, int count) {
  CommandTable table;
  ReadCommandTable(VtsImageRef(v), pgc, &table);
  int size = kCommandSize * count;
  if (!table.present) {
    if (!InsertIntoPgcit(v, pgc + kPgcHeaderSize, kTableHeaderSize + size)) return -1;
    uint8_t* header = VtsImage(v) + pgc + kPgcHeaderSize;
    WriteBe16(header + 2, count);
    WriteBe16(header + kCommandTableEnd, kTableHeaderSize + size - 1);
    WriteBe16(VtsImage(v) + pgc + kPgcCommandTableOffset, kPgcHeaderSize);
    return pgc + kPgcHeaderSize + kTableHeaderSize;
  }
  int64_t first = table.offset + kTableHeaderSize + int64_t(kCommandSize) * table.pre;
  if (!InsertIntoPgcit(v, first + int64_t(kCommandSize) * line, size)) return -1;
  uint8_t* image = VtsImage(v);
  for (int k = 0; k < table.post + count; ++k)
    if (k < line || k >= line + count) MoveGotoLine(image + first + kCommandSize * k, line + 1, count);
  WriteBe16(image + table.offset + 2, table.post + count);
  WriteBe16(image + table.offset + kCommandTableEnd,
            ReadBe16(image + table.offset + kCommandTableEnd) + size);
  return first + int64_t(kCommandSize) * line;
}

// Title `title` gets its end behind a guard of its number in front of the
// chain's post commands, which go on as before for every other title.
bool AddGuard(int v, int64_t pgc, int title) {
  int64_t at = InsertPostCommands(v, pgc, 0, 2);
  if (at >= 0) GuardCommand(title, 3, VtsImage(v) + at);
  return at >= 0;
}

bool AddPostCommand(int v, int64_t pgc) {
  CommandTable table;
  ReadCommandTable(VtsImageRef(v), pgc, &table);
  return InsertPostCommands(v, pgc, table.post, 1) >= 0;
}

// The last cell of the chain at `pgc` gets a cell command of its own,
// behind the table's others.
bool AddCellCommand(int v, int64_t pgc) {
  CommandTable table;
  ReadCommandTable(VtsImageRef(v), pgc, &table);
  if (!InsertIntoPgcit(v, TableEnd(table), kCommandSize)) return false;
  uint8_t* header = VtsImage(v) + table.offset;
  WriteBe16(header + 4, table.cell + 1);
  WriteBe16(header + kCommandTableEnd, ReadBe16(header + kCommandTableEnd) + kCommandSize);
  ImageRef vts = VtsImageRef(v);
  int64_t entry = CellPlaybackEntry(vts, pgc, vts.data[pgc + kPgcCellCount]);
  if (entry < 0) return false;
  VtsImage(v)[entry + kCellCommandNumber] = uint8_t(table.cell + 1);
  return true;
}

}  // namespace

namespace {

// A chain whose titles' guards would take it past the commands a chain may
// hold: the first such title, or -1.
int OverfullChain() {
  for (int j = 0; j < Ends.count; ++j) {
    if (!Disagree[j] || !Grows(j)) continue;
    int guards = 0;
    for (int i = 0; i < Ends.count; ++i)
      guards += Disagree[i] && Grows(i) && Ends.title[i].titleSet == Ends.title[j].titleSet &&
                Ends.title[i].pgcNumber == Ends.title[j].pgcNumber;
    TitleChain chain;
    CommandTable table;
    if (FindTitleChain(VmgImageRef(), j, &chain) &&
        ReadCommandTable(VtsImageRef(chain.titleSet), chain.pgc, &table) &&
        table.pre + table.post + table.cell + 2 * guards > kMaxChainCommands)
      return j;
  }
  return -1;
}

// A growing title whose chain's commands lie behind the end VTS_PGCIT
// records: what a growth moves stops at that end, so it cannot be grown.
// The first such title, or -1.
int ChainPastItsTable() {
  for (int j = 0; j < Ends.count; ++j) {
    TitleChain chain;
    CommandTable table;
    if (!Grows(j) || !FindTitleChain(VmgImageRef(), j, &chain) ||
        !ReadCommandTable(VtsImageRef(chain.titleSet), chain.pgc, &table))
      continue;
    ImageRef vts = VtsImageRef(chain.titleSet);
    int64_t reach = table.present ? TableEnd(table) : chain.pgc + kPgcHeaderSize;
    if (reach > PgcitEnd(vts, TableOffset(vts, kVtsPgcitSector))) return j;
  }
  return -1;
}

}  // namespace

bool CheckCommandTableGrowth() {
  FindGrowingEnds();
  int overfull = OverfullChain();
  if (overfull >= 0) {
    TitleEnd end = Ends.title[overfull];
    end.fixed = EndFixed::FullCommandTable;
    char text[512];
    FixedEndRefusal(overfull, end, text, sizeof text);
    platform::ShowMessage(text, "エラー", platform::kWarningBox);
    return false;
  }
  int past = ChainPastItsTable();
  if (past >= 0) {
    ReadFault fault;
    InfoFileFault(&fault, Ends.title[past].titleSet, "タイトル%dのコマンドがPGC情報の外にあります", past + 1);
    platform::ShowMessage(fault.text, "エラー", platform::kWarningBox);
    return false;
  }
  // At most a new table for each title, and a sector more for each set
  // whose table crosses into the next.
  int64_t bytes[kMaxTitleSets + 1] = {};
  int inserts[kMaxTitleSets + 1] = {};
  for (int j = 0; j < Ends.count; ++j)
    if (Grows(j)) {
      bytes[Ends.title[j].titleSet] += kNewTableSize + kCommandSize;
      inserts[Ends.title[j].titleSet] += 2;
    }
  // A set grows by what its chain table, as far as its own end address
  // reaches, overruns the room behind it, each insertion rounded to a sector.
  int64_t needed = StoreUsed();
  for (int v = 1; v <= kMaxTitleSets; ++v) {
    if (bytes[v] == 0) continue;
    ImageRef vts = VtsImageRef(v);
    int64_t pgcit = TableOffset(vts, kVtsPgcitSector);
    int64_t end = PgcitEnd(vts, pgcit);
    int64_t over = end + bytes[v] - PgcitLimit(vts, pgcit / kSectorSize) * kSectorSize;
    needed += (over > 0 ? over : 0) + int64_t(kSectorSize) * (inserts[v] + 1);
  }
  if (needed <= kIfoStoreCapacity) return true;
  platform::ShowMessage("ポストコマンドを追加するとIFOファイルの合計が4MBを超えるため, 更新できません.",
                        "エラー", platform::kWarningBox);
  return false;
}

bool GrowCommandTables() {
  FindGrowingEnds();
  bool grown = true;
  for (int j = 0; j < Ends.count; ++j) {
    if (!Grows(j)) continue;
    // Found again: an earlier title's growth may have moved the chain, or
    // given it its slot already when both end in it.
    TitleChain chain;
    if (!FindTitleChain(VmgImageRef(), j, &chain)) continue;
    EndSlot end = FindEndSlot(VtsImageRef(chain.titleSet), chain.pgc, j + 1);
    if (Ends.title[j].guarded || Disagree[j]) {
      if (!end.guarded) grown = grown && AddGuard(chain.titleSet, chain.pgc, j + 1);
    } else if (end.slot < 0) {
      grown = grown && (end.cellCommand > 0 ? AddCellCommand(chain.titleSet, chain.pgc)
                                            : AddPostCommand(chain.titleSet, chain.pgc));
    }
  }
  if (!grown)
    platform::ShowMessage("ポストコマンドを追加できないため, 更新できません.", "エラー",
                          platform::kWarningBox);
  return grown;
}
