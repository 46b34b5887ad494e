#include "persist/project_file.h"

#include <cstdio>
#include <cstring>

#include "author/file_set_writer.h"
#include "author/written_parts.h"
#include "disc/disc_check.h"
#include "disc/disc_state.h"
#include "disc/menu_units.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

namespace {

constexpr int kFormatVersion = 0x0140;
constexpr int kMinIfoSize = 4096;
constexpr int kRowsPerPage = 5;
constexpr int kMenuChoices = 135;
constexpr int32_t kMaxVobSectors = int32_t(1) << 21;  // 4 GiB

struct ProjectImage {
  char magic[kProjectHeaderSize];
  DiscState state;
};
static_assert(sizeof(ProjectImage) == kProjectFileSize, "project file size");

// The file as it is written, and the state being loaded until it has passed
// every check: a refused file never touches Disc.
ProjectImage Staging;

void ShowError(const char* text) { platform::ShowMessage(text, "エラー", platform::kWarningBox); }

void FormatMagic(char (&magic)[kProjectHeaderSize + 1]) {
  std::snprintf(magic, sizeof magic, "REELWRITE%04XPRJ", kFormatVersion);
}

bool HasZero(const char (&text)[kPathCapacity]) { return std::memchr(text, 0, sizeof text) != nullptr; }

// The first field of `s` that the program could not use as it stands, or
// null. Reading a folder guarantees all of these; a file may not.
const char* FaultyField(const DiscState& s) {
  const char* ifo = "IFOの位置とサイズ";
  if (!HasZero(s.EditFolderText) || !HasZero(s.EditFolder) || !HasZero(s.ProjectPath)) return "パス名";
  if (s.TitleCount < 0 || s.TitleCount > kMaxTitles) return "タイトル数";
  if (s.TitleSetCount < 0 || s.TitleSetCount > kMaxTitleSets) return "タイトルセット数";
  // Reading sets both or neither.
  if ((s.TitleCount == 0) != (s.TitleSetCount == 0)) return "タイトル数";
  if (s.MenuRegister < 0 || s.MenuRegister > 15) return "レジスタ番号";
  if (s.RowPage < 0 || s.RowPage > kMaxTitles / kRowsPerPage) return "表示ページ";
  if (s.VmgSize < 0 || s.VmgSize > kVmgImageCapacity) return "VIDEO_TS.IFOのサイズ";
  // VIDEO_TS.IFO as read is searched even without a disc (for the registers
  // the disc uses), so its size must fit in every state.
  if (s.IfoOffset[0] != 0 || s.IfoSize[0] < 0 || s.IfoSize[0] > kVmgImageCapacity) return ifo;
  if (s.TitleCount == 0) return nullptr;  // no disc: nothing else is used

  if (kRowsPerPage * s.RowPage >= s.TitleCount) return "表示ページ";
  // The images lie back to back in IfoStore, as reading puts them.
  int64_t end = 0;
  for (int n = 0; n <= s.TitleSetCount; ++n) {
    if (s.IfoOffset[n] != end || s.IfoSize[n] < kMinIfoSize) return ifo;
    end += s.IfoSize[n];
    if (end > kIfoStoreCapacity) return ifo;
  }
  // Sector fields are recomputed from these: nine files under 4 GiB at most.
  for (int n = 1; n <= s.TitleSetCount; ++n) {
    if (s.TitleVobSectors[n] < 0 || s.TitleVobSectors[n] > 9 * kMaxVobSectors) return "VOBのサイズ";
  }
  // Titles call the dispatcher by this number: the last program chain of
  // the prepared menu table's first language unit.
  ImageRef prepared{s.MenuTableImage, kMenuTableCapacity};
  MenuTable table;
  MenuUnit first;
  if (ReadMenuTable(prepared, 0, &table) != MenuUnitFault::None ||
      ReadMenuUnit(prepared, table, 0, &first) != MenuUnitFault::None || first.pgcs != s.MenuPgcNumber) {
    return "メニューPGC番号";
  }
  for (int n = 0; n < s.TitleCount; ++n) {
    if (s.ActionTarget[n] < 0 || s.ActionTarget[n] >= s.TitleCount) return "ジャンプ先タイトル";
    if (s.ActionMenu[n] < 0 || s.ActionMenu[n] >= kMenuChoices) return "メニュー選択";
  }
  return nullptr;
}

// Trades the contents of Disc and the staged state, a slice at a time.
void SwapStaged() {
  static uint8_t slice[65536];
  uint8_t* a = reinterpret_cast<uint8_t*>(&Disc);
  uint8_t* b = reinterpret_cast<uint8_t*>(&Staging.state);
  for (std::size_t at = 0; at < sizeof Disc; at += sizeof slice) {
    std::size_t n = sizeof Disc - at < sizeof slice ? sizeof Disc - at : sizeof slice;
    std::memcpy(slice, a + at, n);
    std::memcpy(a + at, b + at, n);
    std::memcpy(b + at, slice, n);
  }
}

// `got` bytes of the file are in Staging.
bool TakeStaged(std::size_t got) {
  const char* readError = "プロジェクトの読み込みでエラーが発生しました.";
  if (got < kProjectHeaderSize) {
    ShowError(readError);
    return false;
  }
  char expected[kProjectHeaderSize + 1];
  FormatMagic(expected);
  if (std::memcmp(Staging.magic, expected, kProjectHeaderSize) != 0) {
    bool otherVersion =
        std::memcmp(Staging.magic, expected, 9) == 0 && std::memcmp(Staging.magic + 13, "PRJ", 3) == 0;
    ShowError(otherVersion ? "プロジェクトの形式が異常です.\n異なるバージョンのプロジェクトは使用できません."
                           : "プロジェクトの形式が異常です.");
    return false;
  }
  if (got < kProjectFileSize) {
    ShowError(readError);
    return false;
  }
  if (const char* field = FaultyField(Staging.state)) {
    char text[256];
    std::snprintf(text, sizeof text, "プロジェクトの内容が異常です（%s）.", field);
    ShowError(text);
    return false;
  }
  // The images must pass every check a folder read makes of them; those
  // checks work on Disc, so the staged state goes in and comes out again if
  // refused. Execute then writes them only where they equal the folder's.
  SwapStaged();
  ReadFault fault;
  if (Disc.TitleCount > 0 && !CheckReadDisc(&fault)) {
    SwapStaged();
    ShowError(fault.text);
    return false;
  }
  if (Disc.TitleCount > 0 && !PreparedTableIsStoredOnes()) {
    SwapStaged();
    ShowError("プロジェクトの内容が異常です（メニューテーブル）.");
    return false;
  }
  return true;
}

// False, with ProjectPath unchanged, for a path too long to hold: cut, it
// would name another file.
bool SetProjectPath(const char* path) {
  std::size_t length = strnlen(path, kPathCapacity);
  if (length >= std::size_t(kPathCapacity)) return false;
  std::memcpy(Disc.ProjectPath, path, length + 1);
  return true;
}

}  // namespace

bool SaveProjectFile(const char* path) {
  const char* cannotCreate = "プロジェクトファイルが作成できません.";
  std::size_t folderLength = FolderPartLength(path);
  if (folderLength == 0 || path[folderLength] == '\0' || !SetProjectPath(path)) {
    ShowError(cannotCreate);
    return false;
  }
  char folder[kPathCapacity];
  std::memcpy(folder, path, folderLength);
  folder[folderLength] = '\0';

  char magic[kProjectHeaderSize + 1];
  FormatMagic(magic);
  std::memcpy(Staging.magic, magic, kProjectHeaderSize);
  std::memcpy(&Staging.state, &Disc, sizeof Disc);
  PendingFile file = {path + folderLength, reinterpret_cast<const uint8_t*>(&Staging), sizeof Staging};
  static const WriteMessages kMessages = {cannotCreate, "プロジェクトの書き込みでエラーが発生しました."};
  if (!WriteFileSet(folder, &file, 1, kMessages)) return false;
  platform::ShowMessage("プロジェクトを保存しました.", "情報", platform::kInformationBox);
  return true;
}

bool LoadProjectFile(const char* path) {
  std::FILE* f = SetProjectPath(path) ? platform::OpenFile(path, "rb") : nullptr;
  if (!f) {
    ShowError("プロジェクトファイルが開けません.");
    return false;
  }
  std::size_t got = std::fread(&Staging, 1, sizeof Staging, f);
  std::fclose(f);
  return TakeStaged(got);
}

bool LoadProjectBytes(const uint8_t* bytes, std::size_t size) {
  std::size_t got = size < sizeof Staging ? size : sizeof Staging;
  std::memcpy(&Staging, bytes, got);
  return TakeStaged(got);
}
