// The one model of the disc being edited, and the options that travel with it.
//
// The whole saved state is one struct whose layout is the project file's state
// image byte for byte (the file adds a 16-byte identification in front), so a
// project is saved and loaded with a single write and read. Every field is a
// 32-bit integer or a byte buffer whose size is a multiple of four, so the
// natural layout has no padding; the offsets are pinned below so the format
// cannot drift.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxTitles = 99;
constexpr int kMaxTitleSets = 99;
constexpr int kPathCapacity = 260;
constexpr int kSectorSize = 2048;
constexpr int kVmgImageCapacity = 0x200000;
constexpr int kMenuTableCapacity = 0x200000;
constexpr int kIfoStoreCapacity = 0x400000;

enum EndActionKind : int32_t {
  JumpTitle = 0,
  Command = 1,
  MenuPgc = 2,
  Stop = 5,
  Repeat = 6,
  Unchanged = 7,
};

struct DiscState {
  // Fields shared with the history record.
  int32_t Reserved0;
  int32_t CarriedA;
  int32_t CarriedB;
  char EditFolderText[kPathCapacity];
  int32_t PresetIndex;
  int32_t CarriedC;
  char Reserved1[260];
  int32_t Reserved2;
  int32_t Reserved3;
  int32_t RowPage;

  // The disc.
  int32_t TitleCount;
  int32_t TitleSetCount;
  int32_t MenuRegister;
  int32_t IfoOffset[100];
  int32_t IfoSize[100];
  int32_t MenuVobSize[100];
  int32_t TitleVobBase[100];
  int32_t TitleVobSectors[100];
  int32_t VobSectors[1001];
  int32_t TitleVobCount[99];
  int32_t VmgSize;
  int32_t MenuPgcNumber;
  uint8_t VmgImage[kVmgImageCapacity];
  uint8_t MenuTableImage[kMenuTableCapacity];
  uint8_t IfoStore[kIfoStoreCapacity];

  char ProjectPath[kPathCapacity];
  char EditFolder[kPathCapacity];

  // Per-title end actions and the disc-wide options; index n is title n + 1.
  int32_t NoMenu;
  int32_t RandomPlay;
  int32_t ActionKind[100];
  int32_t ActionTarget[100];
  uint8_t ActionCommand[100][8];
  int32_t ActionMenu[100];
  int32_t Reserved4;
};

// Offsets are those of the project file minus its 16-byte identification.
constexpr std::size_t kProjectHeaderSize = 16;
#define REELWRITE_AT(field, fileOffset) \
  static_assert(offsetof(DiscState, field) == (fileOffset)-kProjectHeaderSize, #field)
REELWRITE_AT(Reserved0, 16);
REELWRITE_AT(CarriedA, 20);
REELWRITE_AT(CarriedB, 24);
REELWRITE_AT(EditFolderText, 28);
REELWRITE_AT(PresetIndex, 288);
REELWRITE_AT(CarriedC, 292);
REELWRITE_AT(Reserved1, 296);
REELWRITE_AT(Reserved2, 556);
REELWRITE_AT(Reserved3, 560);
REELWRITE_AT(RowPage, 564);
REELWRITE_AT(TitleCount, 568);
REELWRITE_AT(TitleSetCount, 572);
REELWRITE_AT(MenuRegister, 576);
REELWRITE_AT(IfoOffset, 580);
REELWRITE_AT(IfoSize, 980);
REELWRITE_AT(MenuVobSize, 1380);
REELWRITE_AT(TitleVobBase, 1780);
REELWRITE_AT(TitleVobSectors, 2180);
REELWRITE_AT(VobSectors, 2580);
REELWRITE_AT(TitleVobCount, 6584);
REELWRITE_AT(VmgSize, 6980);
REELWRITE_AT(MenuPgcNumber, 6984);
REELWRITE_AT(VmgImage, 6988);
REELWRITE_AT(MenuTableImage, 2104140);
REELWRITE_AT(IfoStore, 4201292);
REELWRITE_AT(ProjectPath, 8395596);
REELWRITE_AT(EditFolder, 8395856);
REELWRITE_AT(NoMenu, 8396116);
REELWRITE_AT(RandomPlay, 8396120);
REELWRITE_AT(ActionKind, 8396124);
REELWRITE_AT(ActionTarget, 8396524);
REELWRITE_AT(ActionCommand, 8396924);
REELWRITE_AT(ActionMenu, 8397724);
REELWRITE_AT(Reserved4, 8398124);
#undef REELWRITE_AT
static_assert(sizeof(DiscState) == 8398128 - kProjectHeaderSize, "state image size");

// Static storage, zero at start: no disc loaded.
extern DiscState Disc;

// A title set's information file inside IfoStore.
inline uint8_t* VtsImage(int n) { return Disc.IfoStore + Disc.IfoOffset[n]; }
