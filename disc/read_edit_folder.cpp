#include "disc/read_edit_folder.h"

#include <cstdio>
#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_check.h"
#include "disc/disc_state.h"
#include "disc/folder_files.h"
#include "disc/folder_listing.h"
#include "disc/ifo_tables.h"
#include "disc/interrupted_write.h"
#include "disc/read_error.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

namespace {

constexpr int kMinIfoSize = 4096;
constexpr int kMaxFolderText = 258;
// Every file of the folder has a 12-character name (VIDEO_TS.IFO,
// VTS_nn_0.IFO, VTS_nn_k.VOB); folder and name must fit one path buffer.
constexpr std::size_t kMaxFolderPath = kPathCapacity - 1 - 12;
constexpr int kTitleSetCountField = 0x3E;

void FileFault(ReadFault* fault, int file, const char* format, const char* fileName) {
  char path[kMessagePathCapacity];
  fault->file = file;
  std::snprintf(fault->text, sizeof fault->text, format, PathForMessage(fileName, path, sizeof path));
}

// Information file n is read from its BUP once its IFO has failed.
bool UseBackup[kMaxTitleSets + 1];
// Where the information files are read from: the edit folder, or a backup
// of it checked against the edit folder's video files.
const char* InfoFolder = Disc.EditFolder;

// Reads information file n whole into IfoStore behind the file before it.
bool ReadIfo(int n, ReadFault* fault) {
  char name[kPathCapacity];
  InfoFileName(name, n, UseBackup[n], InfoFolder);
  std::FILE* f = platform::OpenFile(name, "rb");
  if (!f) {
    FileFault(fault, -1, "%sが存在しません.", name);
    return false;
  }
  // Read in one block straight into the store: a stream buffer would only
  // copy the bytes once more (and cost a look at the file to size it).
  std::setvbuf(f, nullptr, _IONBF, 0);
  if (n > 0) Disc.IfoOffset[n] = Disc.IfoOffset[n - 1] + Disc.IfoSize[n - 1];
  std::size_t room = std::size_t(kIfoStoreCapacity - Disc.IfoOffset[n]);
  std::size_t got = std::fread(Disc.IfoStore + Disc.IfoOffset[n], 1, room, f);
  // Filling the store exactly leaves it unknown whether the file is longer;
  // one more byte tells, and a shortened file must never be written back.
  bool cut = got == room && std::fgetc(f) != EOF;
  std::fclose(f);
  Disc.IfoSize[n] = int32_t(got);
  if (got < std::size_t(kMinIfoSize)) {
    FileFault(fault, n, "%sが異常です（サイズ異常）.", name);
    return false;
  }
  if (cut) {
    FileFault(fault, -1, "%sを読み込めません（IFOファイルの合計が4MBを超えています）.", name);
    return false;
  }
  // Sector fields count whole sectors of the file; any other size would get
  // wrong addresses.
  if (got % kSectorSize) {
    FileFault(fault, n, "%sが異常です（サイズが2KBの整数倍でない）.", name);
    return false;
  }
  return true;
}

// Title video objects of title set n; false after showing a size fault.
bool MeasureTitleVobs(int n, ReadFault* fault) {
  Disc.TitleVobSectors[n] = 0;
  Disc.TitleVobCount[n - 1] = 0;
  char name[kPathCapacity];
  for (int k = 1; k <= 9; ++k) {
    ListedFile vob = FindListedFile(Disc.EditFolder, n, DiscFileKind::Vob, k);
    if (!vob.found) break;
    VobFileName(name, n, k);
    if (vob.size >> 32) {
      FileFault(fault, -1, "%sのファイルサイズが異常です（4GB以上）.", name);
      return false;
    }
    if (vob.size % kSectorSize) {
      FileFault(fault, -1, "%sのファイルサイズが異常です（2KBの整数倍でない）.", name);
      return false;
    }
    int32_t sectors = int32_t(vob.size / kSectorSize);
    Disc.VobSectors[10 * n + k] = sectors;
    Disc.TitleVobSectors[n] += sectors;
    Disc.TitleVobCount[n - 1] += 1;
  }
  return true;
}

// Low 32 bits of a menu VOB's size, 0 when absent.
int32_t MenuVobSize(int n) {
  return int32_t(uint32_t(FindListedFile(Disc.EditFolder, n, DiscFileKind::Vob, 0).size));
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

// Every information file the video manager declares, the VOB sizes, and
// the checks of the tables and sector fields: false with the first fault.
bool ReadFiles(ReadFault* fault) {
  ClearDisc();
  if (!ReadIfo(0, fault)) return false;
  int declared = ReadBe16(Disc.IfoStore + kTitleSetCountField);
  if (declared < 1 || declared > kMaxTitleSets) {
    char name[kPathCapacity];
    InfoFileName(name, 0, UseBackup[0], InfoFolder);
    FileFault(fault, 0, "%sが異常です（タイトルセット数が異常です）.", name);
    return false;
  }
  for (int n = 1; n <= declared; ++n) {
    if (!ReadIfo(n, fault) || !MeasureTitleVobs(n, fault)) return false;
    if (n + 1 <= kMaxTitleSets) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + Disc.TitleVobSectors[n];
    Disc.TitleSetCount += 1;
  }

  Disc.MenuVobSize[0] = MenuVobSize(0);
  // Sizes are summed as the unsigned 32 bits they were stored from.
  int64_t menuVobBytes = uint32_t(Disc.MenuVobSize[0]);
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    Disc.MenuVobSize[n] = MenuVobSize(n);
    menuVobBytes += uint32_t(Disc.MenuVobSize[n]);
  }
  int64_t infoSectors = (menuVobBytes + 2 * int64_t(Disc.IfoSize[0])) / kSectorSize;
  for (int n = 1; n <= Disc.TitleSetCount; ++n) infoSectors += 2 * int64_t(Disc.IfoSize[n]) / kSectorSize;
  Disc.TitleVobSectors[0] = int32_t(infoSectors);

  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(vmg.data + titles);
  return CheckReadDisc(fault);
}

// Where `folder`'s video object files differ from those read: a missing,
// extra or resized file, or false when they are the same.
bool FindVideoDifference(const char* folder, char (&name)[kPathCapacity]) {
  ListDiscFolder(folder);
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    // The parts read, and the one after them, which reading would have taken too.
    int parts = n == 0 ? 0 : Disc.TitleVobCount[n - 1];
    int last = n == 0 ? 0 : (parts < 9 ? parts + 1 : 9);
    for (int k = 0; k <= last; ++k) {
      ListedFile vob = FindListedFile(folder, n, DiscFileKind::Vob, k);
      bool same;
      if (k == 0) {
        same = int32_t(uint32_t(vob.size)) == Disc.MenuVobSize[n];
      } else if (k <= parts) {
        same = vob.found && vob.size == uint64_t(uint32_t(Disc.VobSectors[10 * n + k])) * kSectorSize;
      } else {
        same = !vob.found;
      }
      if (!same) {
        VobFileName(name, n, k, folder);
        return true;
      }
    }
  }
  return false;
}

// True when the file's bytes are those of information file n as read.
bool SameAsRead(const char* name, int n) {
  std::FILE* f = platform::OpenFile(name, "rb");
  if (!f) return true;
  std::setvbuf(f, nullptr, _IONBF, 0);  // read in whole chunks, as the IFO was
  const uint8_t* read = Disc.IfoStore + Disc.IfoOffset[n];
  static uint8_t chunk[65536];
  int64_t at = 0;
  bool same = true;
  for (std::size_t got; same && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0; at += int64_t(got))
    same = at + int64_t(got) <= Disc.IfoSize[n] && std::memcmp(chunk, read + at, got) == 0;
  std::fclose(f);
  return same && at == Disc.IfoSize[n];
}

// Says which of an IFO and its BUP was read when they are not the same.
// Execute writes the bytes read into both.
void TellAboutBackup(int n, const ReadFault& ifoFault) {
  char ifo[kPathCapacity], bup[kPathCapacity];
  InfoFileName(ifo, n);
  InfoFileName(bup, n, true);
  // No BUP: execute writes one.
  bool bupFound = FindListedFile(Disc.EditFolder, n, DiscFileKind::Bup).found;
  if (!UseBackup[n] && (!bupFound || SameAsRead(bup, n))) return;
  char ifoPath[kMessagePathCapacity], bupPath[kMessagePathCapacity];
  PathForMessage(ifo, ifoPath, sizeof ifoPath);
  PathForMessage(bup, bupPath, sizeof bupPath);
  char text[kMessageCapacity + 2 * kMessagePathCapacity];
  if (UseBackup[n]) {
    std::snprintf(text, sizeof text, "%s\n代わりにバックアップの%sを読み込みました.", ifoFault.text, bupPath);
  } else {
    std::snprintf(text, sizeof text, "%sと%sの内容が異なります. %sを使います.", ifoPath, bupPath, ifoPath);
  }
  platform::ShowMessage(text, "情報", platform::kInformationBox);
}

}  // namespace

void FailureEnding() { ClearDisc(); }

bool ReadInfoFilesFrom(const char* infoFolder, ReadFault* fault) {
  ListDiscFolder(Disc.EditFolder);  // the video files, as they are now
  std::memset(UseBackup, 0, sizeof UseBackup);
  InfoFolder = infoFolder;
  bool read = ReadFiles(fault);
  InfoFolder = Disc.EditFolder;
  return read;
}

bool HoldsDiscRead(const char* folder) {
  char name[kPathCapacity];
  if (!FindVideoDifference(folder, name)) return true;
  char shown[kMessagePathCapacity];
  char text[kMessageCapacity + kMessagePathCapacity];
  std::snprintf(text, sizeof text,
                "編集フォルダのディスクは情報取得したディスクと異なります（%sが一致しません）.\n"
                "同じディスクのフォルダを指定するか, 情報取得をやり直してください.",
                PathForMessage(name, shown, sizeof shown));
  ShowReadError(text);
  return false;
}

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
    bool found = platform::FindEntry(folder, platform::kAnyEntry, &entry);
    folder[folderLength - 1] = '\\';
    if (!found || !(entry.attributes & platform::kDirectory))
      return FailWith("編集先フォルダが存在しません.", FolderRejected);
  }
  if (folderLength > kMaxFolderPath) return FailWith("編集先フォルダのパスが長すぎます.", FolderRejected);

  std::memcpy(Disc.EditFolder, folder, folderLength + 1);
  ClearDisc();
  // A write cut off here is finished first, so that the listing holds what it left.
  if (!RecoverInterruptedWrite(folder)) return Fail(FilesRejected);
  ListDiscFolder(Disc.EditFolder);

  // A file that fails the checks is read again from its BUP, as players
  // fall back to it; each file once.
  std::memset(UseBackup, 0, sizeof UseBackup);
  static ReadFault ifoFaults[kMaxTitleSets + 1];
  ReadFault fault;
  while (!ReadFiles(&fault)) {
    int n = fault.file;
    if (n < 0 || UseBackup[n] || !FindListedFile(Disc.EditFolder, n, DiscFileKind::Bup).found) {
      // A BUP that fails as well: the IFO's own fault says what is wrong.
      return FailWith(n >= 0 && UseBackup[n] ? ifoFaults[n].text : fault.text, FilesRejected);
    }
    ifoFaults[n] = fault;
    UseBackup[n] = true;
  }
  for (int n = 0; n <= Disc.TitleSetCount; ++n) TellAboutBackup(n, ifoFaults[n]);
  return FolderRead;
}
