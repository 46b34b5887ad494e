// Where the disc format keeps its tables, and checked lookups into them.
//
// Every number read from an IFO that becomes an offset goes through these
// lookups, which check the span against the image before anything is read.
// A lookup that would leave the image returns -1 (or false); callers never
// index an image with a number they have not had back from here.
#pragma once

#include <cstdint>

// Fields of the video manager information (VIDEO_TS.IFO).
constexpr int kVmgLastSector = 0x0C;
constexpr int kVmgIfoLastSector = 0x1C;
constexpr int kVmgMatEnd = 0x80;
constexpr int kVmgFirstPlayPgc = 0x84;
constexpr int kVmgMenuVobsSector = 0xC0;
constexpr int kVmgTtSrptSector = 0xC4;      // TT_SRPT
constexpr int kVmgMenuPgciUtSector = 0xC8;  // VMGM_PGCI_UT
constexpr int kVmgFollowingTables[5] = {0xCC, 0xD0, 0xD4, 0xD8, 0xDC};
constexpr int kVmgMenuCellAddresses = 0xD8;  // VMGM_C_ADT
constexpr int kVmgMenuVobuAddresses = 0xDC;  // VMGM_VOBU_ADMAP

// Fields of a title set's information (VTS_nn_0.IFO).
constexpr int kVtsLastSector = 0x0C;
constexpr int kVtsIfoLastSector = 0x1C;
constexpr int kVtsMenuVobsSector = 0xC0;
constexpr int kVtsTitleVobsSector = 0xC4;
constexpr int kVtsPttSrptSector = 0xC8;      // VTS_PTT_SRPT
constexpr int kVtsPgcitSector = 0xCC;        // VTS_PGCIT
constexpr int kVtsMenuPgciUtSector = 0xD0;   // VTSM_PGCI_UT
constexpr int kVtsMenuCellAddresses = 0xD8;  // VTSM_C_ADT
constexpr int kVtsMenuVobuAddresses = 0xDC;  // VTSM_VOBU_ADMAP
constexpr int kVtsCellAddresses = 0xE0;      // VTS_C_ADT
constexpr int kVtsVobuAddresses = 0xE4;      // VTS_VOBU_ADMAP
// Every table of a title set's information file that has a sector field:
// VTS_PTT_SRPT, VTS_PGCIT, VTSM_PGCI_UT, VTS_TMAPTI, VTSM_C_ADT,
// VTSM_VOBU_ADMAP, VTS_C_ADT, VTS_VOBU_ADMAP.
constexpr int kVtsTableSectors[8] = {
    kVtsPttSrptSector,     kVtsPgcitSector,       kVtsMenuPgciUtSector, 0xD4,
    kVtsMenuCellAddresses, kVtsMenuVobuAddresses, kVtsCellAddresses,    kVtsVobuAddresses};

// Program chain.
constexpr int kPgcProgramCount = 2;
constexpr int kPgcCellCount = 3;
constexpr int kPgcNext = 0x9C;
constexpr int kPgcPrev = 0x9E;
constexpr int kPgcGoUp = 0xA0;
constexpr int kPgcCommandTableOffset = 0xE4;
constexpr int kPgcProgramMapOffset = 0xE6;
constexpr int kPgcCellPlaybackOffset = 0xE8;
constexpr int kPgcCellPositionOffset = 0xEA;
constexpr int kPgcHeaderSize = 0xEC;
// The offsets of a chain's parts from its start, 0 where it has none.
constexpr int kPgcPartOffsets[4] = {kPgcCommandTableOffset, kPgcProgramMapOffset, kPgcCellPlaybackOffset,
                                    kPgcCellPositionOffset};
constexpr int kCommandSize = 8;

// Tables of search pointers (VTS_PGCIT, a menu table, one of its language
// units): a count and an end address, then 8-byte pointers whose last four
// bytes are an offset from the table's start.
constexpr int kTableHeaderSize = 8;
constexpr int kSearchPointerSize = 8;

struct ImageRef {
  const uint8_t* data;
  int64_t size;
};

// The title search pointer entry of title t (0-based): its offset in the
// video manager image, or -1.
int64_t TitleEntryOffset(ImageRef vmg, int t);

// A 32-bit field of the image as an unsigned number, or -1 when the image
// is too short to hold it.
int64_t FieldValue(ImageRef image, int field);

// The start of a table whose sector number is at `field`, or -1 when the
// field is 0 or points outside the image.
int64_t TableOffset(ImageRef image, int field);

// How far into its VOB files an address table reaches: a cell address
// table (C_ADT: each cell's first and last sector) or a VOBU address map
// (each VOBU's first sector), at the sector in `field`. Sectors count from
// the first sector of the VOB set the table describes. `sectors` is the
// number of sectors the files must hold for every address to lie in them
// (0 when the field is 0 or the table lists nothing); `inside` is false when
// the table leaves the image or is shorter than its own header.
struct AddressReach {
  bool inside;
  int64_t sectors;
};
AddressReach CellAddressReach(ImageRef image, int field);
AddressReach VobuAddressReach(ImageRef image, int field);

// The First Play program chain of a video manager image (byte address at
// 0x84), or -1 when it has none or it leaves the image.
int64_t FirstPlayPgcOffset(ImageRef vmg);

// Program chain k (1-based) of a program chain table whose search pointers
// start at byte 8 (VTS_PGCIT, or a menu language unit): its offset in the
// image, or -1.
int64_t PgcOffset(ImageRef image, int64_t table, int k);
// The number of program chains of such a table, or 0 when `table` is -1.
int PgcCount(ImageRef image, int64_t table);

// A program chain's command table. `present` is false when the chain has
// none (offset 0 at PGC byte 0xE4); then the counts are 0.
struct CommandTable {
  bool present;
  int64_t offset;  // of the 8-byte header
  int pre;
  int post;
  int cell;
};
// False when the table or the commands its counts promise leave the image.
bool ReadCommandTable(ImageRef image, int64_t pgc, CommandTable* table);

// Command i (0-based) of a run of commands from `first`: its offset, or -1
// when it leaves the image.
int64_t CommandOffset(ImageRef image, int64_t first, int i);

// Offset of the first post command of the program chain, or -1 when it has
// none (or the lookup leaves the image).
int64_t FirstPostCommand(ImageRef image, int64_t pgc);

// The cell command that runs after cell `cell` (1-based) of a program
// chain plays: its offset, or -1 when the cell names none, names one past
// the chain's cell commands (players ignore it), or the cell or command
// leaves the image.
int64_t CellCommandOffset(ImageRef image, int64_t pgc, int cell);

// The playback entry of cell `cell` (1-based) of a program chain: its offset,
// or -1 when the chain has no such cell or the entry leaves the image.
int64_t CellPlaybackEntry(ImageRef image, int64_t pgc, int cell);
// In such an entry, the number of the cell command that runs after the cell.
constexpr int kCellCommandNumber = 3;

// The first cell of program `program` (1-based) of a program chain, from its
// program map; 0 when the chain has no such program or the map leaves the
// image.
int ProgramEntryCell(ImageRef image, int64_t pgc, int program);

// The program chain number of the last chapter of title k (1-based, the
// number within the title set) in a title set's chapter table: 0 when k is
// not one of its titles or has no chapters, -1 when the table or the
// title's chapters leave the image.
int LastChapterPgcNumber(ImageRef vts, int k);
// The same for chapter `part` (1-based) of title k: 0 also when the title
// has fewer chapters.
int ChapterPgcNumber(ImageRef vts, int k, int part);
// The number of chapters of title k, with the same 0 and -1.
int ChapterCount(ImageRef vts, int k);
// The number of titles the chapter table lists (0 when it leaves the image
// or the set has none).
int ChapterTitleCount(ImageRef vts);

ImageRef VmgImageRef();       // VmgImage, VmgSize bytes
ImageRef StoredVmgRef();      // VIDEO_TS.IFO as read, in IfoStore
ImageRef VtsImageRef(int n);  // title set n as read, in IfoStore
