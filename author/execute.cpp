#include "author/execute.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "author/command_table_growth.h"
#include "author/file_copy.h"
#include "author/file_set_writer.h"
#include "author/original_backup.h"
#include "author/patch_preview.h"
#include "author/stored_images.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/interrupted_write.h"
#include "disc/read_edit_folder.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

int Busy = 0;

const char kPlaybackWarningsQuestion[] = "このまま書き込むと, プレーヤーの再生で次のことが起こります:";

namespace {

// The edit box holds at most 258 characters.
constexpr std::size_t kMaxFolderText = 258;
// The longest name written, for the path length check before anything happens.
constexpr char kLongestName[] = "VTS_99_0.IFO";
// A message box taller than the screen hides its buttons.
constexpr std::size_t kShownWarnings = 10;

void ShowError(const char* text) { platform::ShowMessage(text, "エラー", platform::kWarningBox); }

void ClearOneReadOnly(const platform::DirEntry& entry, void* context) {
  const char* folder = static_cast<const char*>(context);
  if ((entry.attributes & platform::kDirectory) || !HasIfoOrBupExtension(entry.name)) return;
  char path[kPathCapacity];
  int n = std::snprintf(path, sizeof path, "%s%s", folder, entry.name);
  if (n < 0 || n >= kPathCapacity) return;
  uint32_t attributes = 0;
  if (platform::GetAttributes(path, &attributes) && (attributes & platform::kReadOnly)) {
    platform::SetAttributes(path, attributes & ~static_cast<uint32_t>(platform::kReadOnly));
  }
}

// Every .IFO and .BUP of the folder, also those the writers will not touch.
void ClearReadOnly(const char* folder) {
  char pattern[kPathCapacity];
  int n = std::snprintf(pattern, sizeof pattern, "%s*.*", folder);
  if (n < 0 || n >= kPathCapacity) return;
  platform::ListFolder(pattern, platform::kAnyEntry, ClearOneReadOnly, const_cast<char*>(folder));
}

bool FolderExists(const char* path) {
  std::size_t n = std::strlen(path);
  if (n <= 3) return true;  // a drive root such as D:\ is taken as it is
  char withoutSlash[kPathCapacity];
  std::memcpy(withoutSlash, path, n - 1);
  withoutSlash[n - 1] = '\0';
  platform::DirEntry entry;
  return platform::FindEntry(withoutSlash, platform::kAnyEntry, &entry) &&
         (entry.attributes & platform::kDirectory);
}

// Every warning of the chosen ends in one question; true when there are none.
bool ConfirmPlaybackWarnings() {
  const std::vector<std::string> warnings = PatchWarnings();
  if (warnings.empty()) return true;
  std::string text = std::string(kPlaybackWarningsQuestion) + "\n";
  for (std::size_t i = 0; i < warnings.size() && i < kShownWarnings; ++i) text += "\n・" + warnings[i];
  if (warnings.size() > kShownWarnings)
    text += "\n（ほか" + std::to_string(warnings.size() - kShownWarnings) + "件）";
  return platform::Ask(platform::Question::kPlaybackWarnings, (text + "\n\n処理を継続しますか？").c_str());
}

bool WritePatchedFiles() {
  static PendingFile files[2 + 2 * kMaxTitleSets];
  static char names[2 + 2 * kMaxTitleSets][16];
  int count = CollectPatchedFiles(files, 2 + 2 * kMaxTitleSets, names);
  if (count < 0) {
    ShowError("メモリ上のIFOイメージが正しくないため, 書き込めません.");
    return false;
  }
  return WriteFileSet(Disc.EditFolder, files, count);
}

}  // namespace

ExecuteOutcome Execute(const char* editFolderText) {
  return Execute([](void* text) { return static_cast<const char*>(text); },
                 const_cast<char*>(editFolderText));
}

ExecuteOutcome Execute(CollectSettings collect, void* context) {
  if (Busy) return ExecuteRefused;
  if (Disc.TitleSetCount == 0 || Disc.TitleCount == 0) {
    ShowError("情報取得が正常に行われていません.");
    return ExecuteRefused;
  }
  // The dialog is read back before the first question: what is refused or
  // warned of before it is the dialog's choice.
  const char* editFolderText = collect(context);
  if (editFolderText == nullptr || !CheckChosenEnds() || !ConfirmPlaybackWarnings()) return ExecuteRefused;
  if (!platform::Ask(platform::Question::kUpdateDisc, "DVDイメージを更新します。\n実行しますか？"))
    return ExecuteRefused;

  const char* tooLong = "編集フォルダのパスが長すぎます.\nもっと短いパスのフォルダを指定してください.";
  if (std::strlen(editFolderText) > kMaxFolderText) {
    ShowError(tooLong);
    return ExecuteRefused;
  }
  char work[kPathCapacity];
  std::snprintf(work, sizeof work, "%s", editFolderText);
  AddTrailingBackslash(work);
  if (work[1] != ':' || work[2] != '\\') {
    ShowError("編集フォルダはフルパス（例：C:\\VIDEO_TS）で指定してください.");
    return ExecuteRefused;
  }
  if (!FolderExists(work)) {
    ShowError("編集フォルダが存在しません.");
    return ExecuteRefused;
  }
  if (!FileSetPathFits(work, kLongestName)) {
    ShowError(tooLong);
    return ExecuteRefused;
  }

  // Before the folder is compared or copied into a backup: a write cut off
  // there is finished first.
  if (!RecoverInterruptedWrite(work) || !HoldsDiscRead(work) || !StoredImagesFitFolder(work) ||
      !CheckVideoManagerPatch(work) || !CheckFixedEnds() || !CheckSharedChains() ||
      !CheckCommandTableGrowth())
    return ExecuteRefused;

  if (Disc.NoMenu == 1) {
    if (!platform::Ask(platform::Question::kNoMenuOption,
                       "『メニューなし』のチェックボックスがONになっています.\n"
                       "『メニューなしON』の場合は、既存のFirst Play設定，タイトルメニューは無効化されます.\n"
                       "処理を継続しますか？")) {
      return ExecuteRefused;
    }
  } else if (Disc.RandomPlay == 1) {
    if (!platform::Ask(platform::Question::kRandomPlayOption,
                       "『ランダム再生』のチェックボックスがONになっています.\n"
                       "『ランダム再生ON』の場合は、既存のFirst Play設定は無効化されます.\n"
                       "処理を継続しますか？")) {
      return ExecuteRefused;
    }
  }

  // Before anything of the folder changes, so that saying no leaves it untouched.
  if (!EnsureOriginalBackup(work)) return ExecuteRefused;

  std::memcpy(Disc.EditFolder, work, sizeof work);
  ClearReadOnly(Disc.EditFolder);

  Busy = 1;
  if (!GrowCommandTables() || !PatchVideoManager()) {
    Busy = 0;
    return ExecuteRefused;
  }
  PatchTitleSets();
  bool written = WritePatchedFiles();
  Busy = 0;
  if (!written) return ExecuteFailed;
  platform::ShowMessage("正常終了しました.", "情報", platform::kInformationBox);
  return ExecuteSucceeded;
}
