#include "disc/ifo_tables.h"

#include "disc/byte_order.h"
#include "disc/disc_state.h"

namespace {

constexpr int kTitleEntrySize = 12;
constexpr int kTitleChaptersPointerSize = 4;
constexpr int kChapterSize = 4;  // program chain number, program number
constexpr int kCellPlaybackSize = 24;
constexpr int kCellAddressHeaderSize = 8;  // VOB count, reserved, end address
constexpr int kCellAddressSize = 12;       // VOB, cell, reserved, first sector, last sector
constexpr int kVobuAddressHeaderSize = 4;  // end address
constexpr int kVobuAddressSize = 4;        // first sector of a VOBU

// The entries of an address table as libdvdread counts them: as many whole
// entries as its end address leaves room for behind the header. Calls `each`
// with every entry's offset in the image and returns the reach.
template <typename Each>
AddressReach WalkAddresses(ImageRef image, int field, int headerSize, int entrySize, Each each) {
  if (FieldValue(image, field) == 0) return AddressReach{true, 0};
  int64_t table = TableOffset(image, field);
  if (table < 0) return AddressReach{false, 0};
  int64_t size = int64_t(uint32_t(ReadBe32(image.data + table + headerSize - 4))) + 1;
  if (size < headerSize || !SpanInside(image.size, table, size)) return AddressReach{false, 0};
  AddressReach reach{true, 0};
  for (int64_t at = table + headerSize; at + entrySize <= table + size; at += entrySize) {
    int64_t needed = each(at) + 1;
    if (needed > reach.sectors) reach.sectors = needed;
  }
  return reach;
}

// A slice of a buffer of `capacity` bytes, described by numbers that may
// come from a project file: never let them reach outside the buffer.
ImageRef Slice(const uint8_t* base, int64_t capacity, int64_t offset, int64_t size) {
  if (offset < 0 || offset > capacity) return ImageRef{base, 0};
  if (size < 0) size = 0;
  if (size > capacity - offset) size = capacity - offset;
  return ImageRef{base + offset, size};
}

}  // namespace

int64_t FieldValue(ImageRef image, int field) {
  return SpanInside(image.size, field, 4) ? int64_t(uint32_t(ReadBe32(image.data + field))) : -1;
}

int64_t TableOffset(ImageRef image, int field) {
  if (!SpanInside(image.size, field, 4)) return -1;
  int32_t sector = ReadBe32(image.data + field);
  if (sector <= 0) return -1;
  int64_t table = int64_t(sector) * kSectorSize;
  if (!SpanInside(image.size, table, kTableHeaderSize)) return -1;
  return table;
}

AddressReach CellAddressReach(ImageRef image, int field) {
  return WalkAddresses(image, field, kCellAddressHeaderSize, kCellAddressSize, [&image](int64_t cell) {
    int64_t first = uint32_t(ReadBe32(image.data + cell + 4));
    int64_t last = uint32_t(ReadBe32(image.data + cell + 8));
    return first > last ? first : last;
  });
}

AddressReach VobuAddressReach(ImageRef image, int field) {
  return WalkAddresses(image, field, kVobuAddressHeaderSize, kVobuAddressSize,
                       [&image](int64_t vobu) { return int64_t(uint32_t(ReadBe32(image.data + vobu))); });
}

int64_t TitleEntryOffset(ImageRef vmg, int t) {
  int64_t table = TableOffset(vmg, kVmgTtSrptSector);
  if (table < 0 || t < 0 || t >= ReadBe16(vmg.data + table)) return -1;
  int64_t entry = table + kTableHeaderSize + int64_t(kTitleEntrySize) * t;
  return SpanInside(vmg.size, entry, kTitleEntrySize) ? entry : -1;
}

int64_t PgcOffset(ImageRef image, int64_t table, int k) {
  if (!SpanInside(image.size, table, kTableHeaderSize)) return -1;
  // A number past the table's own count would read a search pointer out of
  // whatever follows the pointers.
  if (k < 1 || k > ReadBe16(image.data + table)) return -1;
  int64_t pointer = table + int64_t(kSearchPointerSize) * k;
  if (!SpanInside(image.size, pointer, kSearchPointerSize)) return -1;
  int32_t offset = ReadBe32(image.data + pointer + 4);
  if (offset < 0) return -1;
  int64_t pgc = table + offset;
  return SpanInside(image.size, pgc, kPgcHeaderSize) ? pgc : -1;
}

int PgcCount(ImageRef image, int64_t table) {
  return SpanInside(image.size, table, kTableHeaderSize) ? ReadBe16(image.data + table) : 0;
}

int64_t FirstPlayPgcOffset(ImageRef vmg) {
  if (!SpanInside(vmg.size, kVmgFirstPlayPgc, 4)) return -1;
  int64_t pgc = uint32_t(ReadBe32(vmg.data + kVmgFirstPlayPgc));
  if (pgc == 0 || !SpanInside(vmg.size, pgc, kPgcHeaderSize)) return -1;
  return pgc;
}

bool ReadCommandTable(ImageRef image, int64_t pgc, CommandTable* table) {
  *table = CommandTable{false, -1, 0, 0, 0};
  if (!SpanInside(image.size, pgc, kPgcHeaderSize)) return false;
  int offset = ReadBe16(image.data + pgc + kPgcCommandTableOffset);
  if (offset == 0) return true;
  int64_t at = pgc + offset;
  if (!SpanInside(image.size, at, kTableHeaderSize)) return false;
  const uint8_t* p = image.data + at;
  int pre = ReadBe16(p), post = ReadBe16(p + 2), cell = ReadBe16(p + 4);
  if (!SpanInside(image.size, at + kTableHeaderSize, int64_t(kCommandSize) * (pre + post + cell)))
    return false;
  *table = CommandTable{true, at, pre, post, cell};
  return true;
}

int64_t CommandOffset(ImageRef image, int64_t first, int i) {
  int64_t at = first + int64_t(kCommandSize) * i;
  return SpanInside(image.size, at, kCommandSize) ? at : -1;
}

int64_t FirstPostCommand(ImageRef image, int64_t pgc) {
  CommandTable table;
  if (!ReadCommandTable(image, pgc, &table) || table.post == 0) return -1;
  return table.offset + kTableHeaderSize + int64_t(kCommandSize) * table.pre;
}

int64_t CellPlaybackEntry(ImageRef image, int64_t pgc, int cell) {
  if (!SpanInside(image.size, pgc, kPgcHeaderSize) || cell < 1 || cell > image.data[pgc + kPgcCellCount])
    return -1;
  int offset = ReadBe16(image.data + pgc + kPgcCellPlaybackOffset);
  int64_t entry = pgc + offset + int64_t(kCellPlaybackSize) * (cell - 1);
  return offset != 0 && SpanInside(image.size, entry, kCellPlaybackSize) ? entry : -1;
}

int64_t CellCommandOffset(ImageRef image, int64_t pgc, int cell) {
  int64_t entry = CellPlaybackEntry(image, pgc, cell);
  if (entry < 0) return -1;
  int number = image.data[entry + kCellCommandNumber];
  CommandTable table;
  if (number == 0 || !ReadCommandTable(image, pgc, &table) || number > table.cell) return -1;
  return table.offset + kTableHeaderSize + int64_t(kCommandSize) * (table.pre + table.post + number - 1);
}

int ProgramEntryCell(ImageRef image, int64_t pgc, int program) {
  if (!SpanInside(image.size, pgc, kPgcHeaderSize) || program < 1 ||
      program > image.data[pgc + kPgcProgramCount])
    return 0;
  int offset = ReadBe16(image.data + pgc + kPgcProgramMapOffset);
  int64_t at = pgc + offset + program - 1;
  return offset != 0 && SpanInside(image.size, at, 1) ? image.data[at] : 0;
}

int LastChapterPgcNumber(ImageRef vts, int k) { return ChapterPgcNumber(vts, k, 0); }

namespace {

// Where title k's chapters lie in the chapter table: -1 when the table or
// the title's chapters leave the image, 0 when k is not one of its titles,
// else 1 with *table and the byte range [*begin, *end) from the table start.
int ChapterSpan(ImageRef vts, int k, int64_t* table, int64_t* begin, int64_t* end) {
  *table = TableOffset(vts, kVtsPttSrptSector);
  if (*table < 0) return -1;
  int titles = ReadBe16(vts.data + *table);
  int64_t size = int64_t(uint32_t(ReadBe32(vts.data + *table + 4))) + 1;
  int64_t pointersEnd = kTableHeaderSize + int64_t(kTitleChaptersPointerSize) * titles;
  if (size < pointersEnd || !SpanInside(vts.size, *table, size)) return -1;
  if (k < 1 || k > titles) return 0;
  auto start = [&](int title) {
    return int64_t(uint32_t(ReadBe32(vts.data + *table + kTableHeaderSize + 4 * int64_t(title - 1))));
  };
  // A title's chapters run to where the next title's begin, the last
  // title's to the table's end, as libdvdread counts them.
  *begin = start(k);
  *end = k < titles ? start(k + 1) : size;
  if (*begin < pointersEnd || *begin > size || *end > size) return -1;
  if (*end < *begin) *end = *begin;
  return 1;
}

}  // namespace

int ChapterCount(ImageRef vts, int k) {
  int64_t table, begin, end;
  int found = ChapterSpan(vts, k, &table, &begin, &end);
  return found <= 0 ? found : int((end - begin) / kChapterSize);
}

int ChapterTitleCount(ImageRef vts) {
  int64_t table = TableOffset(vts, kVtsPttSrptSector);
  return table < 0 ? 0 : ReadBe16(vts.data + table);
}

// part 0: the last chapter.
int ChapterPgcNumber(ImageRef vts, int k, int part) {
  int64_t table, begin, end;
  int found = ChapterSpan(vts, k, &table, &begin, &end);
  if (found <= 0) return found;
  int64_t chapters = (end - begin) / kChapterSize;
  if (part == 0) part = int(chapters);
  if (part < 1 || part > chapters) return 0;
  return ReadBe16(vts.data + table + begin + kChapterSize * int64_t(part - 1));
}

ImageRef VmgImageRef() { return Slice(Disc.VmgImage, kVmgImageCapacity, 0, Disc.VmgSize); }

ImageRef StoredVmgRef() {
  return Slice(Disc.IfoStore, kIfoStoreCapacity, Disc.IfoOffset[0], Disc.IfoSize[0]);
}

ImageRef VtsImageRef(int n) {
  if (n < 1 || n > kMaxTitleSets) return ImageRef{Disc.IfoStore, 0};
  return Slice(Disc.IfoStore, kIfoStoreCapacity, Disc.IfoOffset[n], Disc.IfoSize[n]);
}
