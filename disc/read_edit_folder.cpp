#include "disc/read_edit_folder.h"

#include <cstdio>
#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_check.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/read_error.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

namespace {

// A file of the edit folder. The folder check keeps every such name under
// kPathCapacity; should one not fit, the empty name opens and finds nothing.
template <typename... Numbers>
void FolderFile(char (&name)[kPathCapacity], const char* format, Numbers... numbers) {
  if (std::snprintf(name, sizeof name, format, Disc.EditFolder, numbers...) >= int(sizeof name))
    name[0] = '\0';
}

constexpr int kMinIfoSize = 4096;
constexpr int kMaxFolderText = 258;
// Every file of the folder has a 12-character name (VIDEO_TS.IFO,
// VTS_nn_0.IFO, VTS_nn_k.VOB); folder and name must fit one path buffer.
constexpr std::size_t kMaxFolderPath = kPathCapacity - 1 - 12;
constexpr uint32_t kAnyEntry =
    platform::kReadOnly | platform::kHidden | platform::kSystem | platform::kDirectory | platform::kArchive;
constexpr uint32_t kAnyFile =
    platform::kReadOnly | platform::kHidden | platform::kSystem | platform::kArchive;

void ShowFileMessage(const char* format, const char* fileName) {
  char path[kMessagePathCapacity];
  char text[kMessageCapacity];
  std::snprintf(text, sizeof text, format, PathForMessage(fileName, path, sizeof path));
  ShowReadError(text);
}

// Reads file `name` whole into IfoStore behind the file before it. On a
// fault shows its message and returns false; a file that does not open is
// left to the caller, for whom that may only end the list.
enum class Opened { Yes, No };
bool ReadIfo(int n, const char* name, Opened* opened) {
  std::FILE* f = platform::OpenFile(name, "rb");
  *opened = f ? Opened::Yes : Opened::No;
  if (!f) return false;
  if (n > 0) Disc.IfoOffset[n] = Disc.IfoOffset[n - 1] + Disc.IfoSize[n - 1];
  std::size_t room = std::size_t(kIfoStoreCapacity - Disc.IfoOffset[n]);
  std::size_t got = std::fread(Disc.IfoStore + Disc.IfoOffset[n], 1, room, f);
  // Filling the store exactly leaves it unknown whether the file is longer;
  // one more byte tells, and a shortened file must never be written back.
  bool cut = got == room && std::fgetc(f) != EOF;
  std::fclose(f);
  Disc.IfoSize[n] = int32_t(got);
  if (got < std::size_t(kMinIfoSize)) {
    ShowFileMessage("%sが異常です（サイズ異常）.", name);
    return false;
  }
  if (cut) {
    ShowFileMessage("%sを読み込めません（IFOファイルの合計が4MBを超えています）.", name);
    return false;
  }
  return true;
}

// Title video objects of title set n; false after showing a size fault.
bool MeasureTitleVobs(int n) {
  Disc.TitleVobSectors[n] = 0;
  Disc.TitleVobCount[n - 1] = 0;
  char name[kPathCapacity];
  for (unsigned k = 1; k <= 9; ++k) {
    FolderFile(name, "%sVTS_%02d_%u.VOB", n, k);
    platform::DirEntry entry;
    if (!platform::FindEntry(name, kAnyFile, &entry)) break;
    if (entry.size >> 32) {
      ShowFileMessage("%sのファイルサイズが異常です（4GB以上）.", name);
      return false;
    }
    if (entry.size % kSectorSize) {
      ShowFileMessage("%sのファイルサイズが異常です（2KBの整数倍でない）.", name);
      return false;
    }
    int32_t sectors = int32_t(entry.size / kSectorSize);
    Disc.VobSectors[10 * n + k] = sectors;
    Disc.TitleVobSectors[n] += sectors;
    Disc.TitleVobCount[n - 1] += 1;
  }
  return true;
}

// Low 32 bits of a menu VOB's size, 0 when absent.
int32_t MenuVobSize(const char* name) {
  platform::DirEntry entry;
  if (!platform::FindEntry(name, kAnyFile, &entry)) return 0;
  return int32_t(uint32_t(entry.size));
}

ReadOutcome Fail(ReadOutcome outcome) {
  FailureEnding();
  return outcome;
}

ReadOutcome FailWith(const char* message, ReadOutcome outcome) {
  ShowReadError(message);
  return Fail(outcome);
}

void ClearDisc() {
  Disc.TitleSetCount = 0;
  Disc.TitleCount = 0;
  std::memset(Disc.IfoOffset, 0, sizeof Disc.IfoOffset);
  std::memset(Disc.IfoSize, 0, sizeof Disc.IfoSize);
  std::memset(Disc.TitleVobBase, 0, sizeof Disc.TitleVobBase);
  std::memset(Disc.TitleVobSectors, 0, sizeof Disc.TitleVobSectors);
}

}  // namespace

void FailureEnding() { ClearDisc(); }

ReadOutcome ReadEditFolder(const char* editFolderText) {
  // Room for the text, a backslash and the terminator.
  char folder[kPathCapacity];
  std::size_t length = strnlen(editFolderText, kMaxFolderText + 1);
  if (length > std::size_t(kMaxFolderText))
    return FailWith("編集先フォルダのパスが長すぎます.", FolderRejected);
  std::memcpy(folder, editFolderText, length);
  folder[length] = '\0';
  AddTrailingBackslash(folder);

  if (folder[1] != ':' || folder[2] != '\\')
    return FailWith("編集先フォルダはフルパス（例：C:\\IN_DATA）で指定してください.", FolderRejected);
  std::size_t folderLength = std::strlen(folder);
  if (folderLength > 3) {
    // A bare drive root is taken as it is.
    folder[folderLength - 1] = '\0';
    platform::DirEntry entry;
    bool found = platform::FindEntry(folder, kAnyEntry, &entry);
    folder[folderLength - 1] = '\\';
    if (!found || !(entry.attributes & platform::kDirectory))
      return FailWith("編集先フォルダが存在しません.", FolderRejected);
  }
  if (folderLength > kMaxFolderPath) return FailWith("編集先フォルダのパスが長すぎます.", FolderRejected);

  std::memcpy(Disc.EditFolder, folder, folderLength + 1);
  ClearDisc();

  char name[kPathCapacity];
  Opened opened;
  FolderFile(name, "%sVIDEO_TS.IFO");
  if (!ReadIfo(0, name, &opened)) {
    if (opened == Opened::No) ShowFileMessage("%sが存在しません.", name);
    return Fail(FilesRejected);
  }

  for (int n = 1; n <= kMaxTitleSets; ++n) {
    FolderFile(name, "%sVTS_%02d_0.IFO", n);
    if (!ReadIfo(n, name, &opened)) {
      if (opened == Opened::No && n > 1) break;  // the list of title sets ends before n
      if (opened == Opened::No) ShowFileMessage("%sが存在しません.", name);
      return Fail(FilesRejected);
    }
    if (!MeasureTitleVobs(n)) return Fail(FilesRejected);
    if (n + 1 <= kMaxTitleSets) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + Disc.TitleVobSectors[n];
    Disc.TitleSetCount += 1;
  }

  FolderFile(name, "%sVIDEO_TS.VOB");
  Disc.MenuVobSize[0] = MenuVobSize(name);
  // Sizes are summed as the unsigned 32 bits they were stored from.
  int64_t menuVobBytes = uint32_t(Disc.MenuVobSize[0]);
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    FolderFile(name, "%sVTS_%02d_0.VOB", n);
    Disc.MenuVobSize[n] = MenuVobSize(name);
    menuVobBytes += uint32_t(Disc.MenuVobSize[n]);
  }
  int64_t infoSectors = (menuVobBytes + 2 * int64_t(Disc.IfoSize[0])) / kSectorSize;
  for (int n = 1; n <= Disc.TitleSetCount; ++n) infoSectors += 2 * int64_t(Disc.IfoSize[n]) / kSectorSize;
  Disc.TitleVobSectors[0] = int32_t(infoSectors);

  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(vmg.data + titles);
  if (!CheckDiscTables()) return Fail(FilesRejected);
  return FolderRead;
}
