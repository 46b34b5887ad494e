#include "author/original_backup.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "author/backup_record.h"
#include "author/file_copy.h"
#include "author/file_set_writer.h"
#include "disc/disc_state.h"
#include "disc/interrupted_write.h"
#include "disc/menu_table.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

const char kAlreadyChangedText[] =
    "the IFOs here were already changed by Reelwrite; the backup keeps them as they are now";

namespace {

const char kMoveAsideText[] =
    "このバックアップは使わず, 上書きもしません. 別の場所へ移すか削除してから実行すると, "
    "このディスクのバックアップが作られます.";
const char kRestoredChangedText[] =
    "このバックアップはReelwriteで変更済みのIFOファイルから作られたため, 変更済みの状態に戻りました.";

// Burning tools take the disc's root for the folder holding VIDEO_TS. In the
// ISO 9660 view names are cut to 8 characters, where "VIDEO_TS_ORIGINAL_IFO"
// became a second VIDEO_TS; genisoimage -dvd-video takes any folder whose
// name holds "VIDEO_TS" for the disc's and then cannot lay the disc out. So
// the backup of a VIDEO_TS folder is "ORIGINAL_IFO"; that of any other folder
// "ORIGINAL_IFO_<folder>", one per folder of a parent.
enum class BackupName {
  Current,
  Prefixed,  // "ORIGINAL_IFO_VIDEO_TS" of the version before
  Old,       // "VIDEO_TS_ORIGINAL_IFO" of the versions before that
};
// A VIDEO_TS folder holds at most 100 IFO files and their backups.
constexpr int kMaxBackupFiles = 256;

bool IsIfoOrBup(const platform::DirEntry& entry) {
  if (entry.attributes & platform::kDirectory) return false;
  return HasIfoOrBupExtension(entry.name);
}

bool IsFolder(const char* path) {
  platform::DirEntry entry;
  return platform::FindEntry(path, platform::kAnyEntry, &entry) && (entry.attributes & platform::kDirectory);
}

bool Exists(const char* path) { return platform::FindEntry(path, platform::kAnyEntry, nullptr); }

bool IsSeparator(const char* path, std::size_t i) { return path[i] == '\\' && SjisByteClass(path, i) != 2; }

// path without its trailing backslash, in place.
void DropTrailingBackslash(char* path) {
  std::size_t n = std::strlen(path);
  if (n > 0 && IsSeparator(path, n - 1)) path[n - 1] = '\0';
}

bool Join(char* out, const char* a, const char* b, const char* c = "") {
  int n = std::snprintf(out, kPathCapacity, "%s%s%s", a, b, c);
  return n >= 0 && n < kPathCapacity;
}

void ToUtf8(const char* sjis, char* out, std::size_t capacity) {
  if (!platform::DisplayPath(sjis, out, capacity)) std::snprintf(out, capacity, "%s", "?");
}

// Asks whether to go on without a backup; `reason` is a UTF-8 line.
bool AskGoOnWithout(const char* reason) {
  char text[2048];
  std::snprintf(text, sizeof text,
                "元のIFOファイルのバックアップを作成できません.\n%s\nバックアップなしで処理を継続しますか？",
                reason);
  return platform::Ask(platform::Question::kGoOnWithoutBackup, text);
}

bool AskGoOnWithoutFolder(const char* backupFolder) {
  char shown[kPathCapacity * 3];
  ToUtf8(backupFolder, shown, sizeof shown);
  char reason[kPathCapacity * 3 + 64];
  std::snprintf(reason, sizeof reason, "バックアップ先: %s", shown);
  return AskGoOnWithout(reason);
}

struct FileList {
  const char* folder;  // ends in a backslash
  int count;
  bool overflow;
  char names[kMaxBackupFiles][kPathCapacity];
};

void CollectIfoAndBup(const platform::DirEntry& entry, void* context) {
  FileList* list = static_cast<FileList*>(context);
  if (!IsIfoOrBup(entry)) return;
  if (list->count == kMaxBackupFiles) {
    list->overflow = true;
    return;
  }
  std::snprintf(list->names[list->count++], kPathCapacity, "%s", entry.name);
}

// The IFO and BUP files of a folder (ending in a backslash); false when
// there are more than the list holds or a name does not fit a path.
bool ListIfoAndBup(const char* folder, FileList* list) {
  list->folder = folder;
  list->count = 0;
  list->overflow = false;
  char pattern[kPathCapacity];
  if (!Join(pattern, folder, "*.*")) return false;
  platform::ListFolder(pattern, platform::kAnyEntry, CollectIfoAndBup, list);
  if (list->overflow) return false;
  char path[kPathCapacity];
  for (int i = 0; i < list->count; ++i) {
    if (!Join(path, folder, list->names[i])) return false;
  }
  return true;
}

// Static: a list of full paths is too large for the stack, and the disc
// logic does not allocate.
FileList Listed;

// Removes a half-made backup folder: only the files it was given, then itself.
void RemoveHalfMade(const char* folder) {
  char withSlash[kPathCapacity];
  if (!Join(withSlash, folder, "\\")) return;
  // What a copy cut off there left becomes whole files or none.
  RecoverFileSet(withSlash);
  char path[kPathCapacity];
  if (ListIfoAndBup(withSlash, &Listed)) {
    for (int i = 0; i < Listed.count; ++i) {
      if (Join(path, withSlash, Listed.names[i])) platform::RemoveFile(path);
    }
  }
  if (Join(path, withSlash, kBackupRecordName)) platform::RemoveFile(path);
  platform::RemoveFolder(folder);
}

// Makes a rename of `folder` (without a trailing backslash) durable.
void SyncParent(const char* folder) {
  char parent[kPathCapacity];
  std::snprintf(parent, sizeof parent, "%s", folder);
  std::size_t n = std::strlen(parent);
  while (n > 0 && !IsSeparator(parent, n - 1)) --n;
  parent[n] = '\0';
  if (n > 0) platform::SyncFolder(parent);
}

const PendingFile* ListedInWritingOrder(const char* backup);
const WriteMessages kBackupWriteMessages = {"バックアップの%sが作れません.",
                                            "バックアップの%sの書き込みでエラーが発生しました."};

// Copies every IFO and BUP file of editFolder into a new folder `made`
// (without a trailing backslash). Leaves nothing behind on failure.
bool CopyIntoNewFolder(const char* editFolder, const char* made) {
  if (!platform::MakeFolder(made)) return false;
  char into[kPathCapacity];
  // A folder being patched holds VIDEO_TS.IFO at least: a listing without
  // one failed, and would make a backup that restores nothing.
  bool ok = Join(into, made, "\\") && ListIfoAndBup(editFolder, &Listed) && Listed.count > 0 &&
            WriteFileSet(into, ListedInWritingOrder(editFolder), Listed.count, kBackupWriteMessages);
  // Whatever of the writer's own the set could not remove stays out of the backup.
  ok = ok && RecoverFileSet(into) != Recovery::kStuck;
  ok = ok && WriteBackupRecord(editFolder, into) && platform::SyncFolder(made);
  if (!ok) RemoveHalfMade(made);
  return ok;
}

// "VIDEO_TS.IFO" < "VIDEO_TS.BUP" < "VTS_01_0.IFO" < ...: by the name
// without its extension, then IFO before BUP.
bool WrittenBefore(const char* a, const char* b) {
  std::size_t baseA = std::strrchr(a, '.') - a;
  std::size_t baseB = std::strrchr(b, '.') - b;
  int byBase = std::strncmp(a, b, baseA < baseB ? baseA : baseB);
  if (byBase != 0) return byBase < 0;
  if (baseA != baseB) return baseA < baseB;
  bool ifoA = (a[baseA + 1] | 0x20) == 'i';
  bool ifoB = (b[baseB + 1] | 0x20) == 'i';
  if (ifoA != ifoB) return ifoA;
  return std::strcmp(a, b) < 0;
}

}  // namespace

namespace {

// The edit folder without its trailing backslash; false for a drive root,
// which has no parent to hold a sibling, and for a path too long.
bool FolderWithoutBackslash(const char* editFolder, char (&folder)[kPathCapacity]) {
  if (std::snprintf(folder, sizeof folder, "%s", editFolder) >= kPathCapacity) return false;
  DropTrailingBackslash(folder);
  std::size_t n = std::strlen(folder);
  return n > 0 && folder[n - 1] != ':' && !IsSeparator(folder, n - 1);
}

bool Fits(int written, std::size_t capacity) {
  return written >= 0 && static_cast<std::size_t>(written) < capacity;
}

bool IsVideoTsName(const char* name) {
  if (std::strlen(name) != 8) return false;
  for (int i = 0; i < 8; ++i) {
    char upper = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
    if (upper != "VIDEO_TS"[i]) return false;
  }
  return true;
}

// The backup folder of `editFolder` under one of its names, "D:\DISC1\<name>\";
// false for a drive root, which has no parent, and for a path too long.
bool BackupFolderNamed(const char* editFolder, BackupName which, char* out, std::size_t capacity) {
  char folder[kPathCapacity];
  bool named = FolderWithoutBackslash(editFolder, folder);
  std::size_t cut = named ? std::strlen(folder) : 0;
  while (cut > 0 && !IsSeparator(folder, cut - 1)) --cut;
  const char* name = folder + cut;
  const int parent = static_cast<int>(cut);
  int written;
  if (which == BackupName::Old) {
    written = std::snprintf(out, capacity, "%s_ORIGINAL_IFO\\", folder);
  } else if (which == BackupName::Current && IsVideoTsName(name)) {
    written = std::snprintf(out, capacity, "%.*sORIGINAL_IFO\\", parent, folder);
  } else {
    written = std::snprintf(out, capacity, "%.*sORIGINAL_IFO_%s\\", parent, folder, name);
  }
  named = named && cut > 0 && Fits(written, capacity) && std::strlen(out) < kPathCapacity;
  if (!named && capacity > 0) out[0] = '\0';
  return named;
}

// The folder symbolic links lead to, so that a disc reached through a link
// and through its real place has one backup; the path as given where it has
// no real one to name.
void RealFolder(const char* editFolder, char (&out)[kPathCapacity]) {
  if (!platform::RealFolderPath(editFolder, out, sizeof out))
    std::snprintf(out, sizeof out, "%s", editFolder);
}

struct FoundBackup {
  BackupTrust trust;
  BackupName name;
  char folder[kPathCapacity];  // ends in a backslash; empty when none
  char owner[kPathCapacity];   // the spelling of the edit folder it is a sibling of
};

// The backup of editFolder (ending in a backslash) that passes its record,
// looked for under each name by the real folder, then by the folder as
// given (a link made before backups followed links); else the first found,
// with what is wrong with it, or trust None.
void FindBackup(const char* editFolder, FoundBackup* found) {
  char spellings[2][kPathCapacity];
  RealFolder(editFolder, spellings[0]);
  std::snprintf(spellings[1], sizeof spellings[1], "%s", editFolder);
  *found = FoundBackup{BackupTrust::None, BackupName::Current, "", ""};
  char folder[kPathCapacity];
  for (int s = 0; s < 2; ++s) {
    if (s == 1 && std::strcmp(spellings[0], spellings[1]) == 0) break;
    for (BackupName name : {BackupName::Current, BackupName::Prefixed, BackupName::Old}) {
      if (!BackupFolderNamed(spellings[s], name, folder, sizeof folder)) continue;
      DropTrailingBackslash(folder);
      if (!IsFolder(folder)) continue;
      AddTrailingBackslash(folder);
      BackupTrust trust = CheckBackupRecord(editFolder, folder);
      if (found->trust != BackupTrust::None && trust != BackupTrust::Own) continue;
      *found = FoundBackup{trust, name, "", ""};
      std::memcpy(found->folder, folder, sizeof folder);
      std::memcpy(found->owner, spellings[s], sizeof folder);
      if (trust == BackupTrust::Own) return;
    }
  }
}

// VIDEO_TS.IFO of a backup (ending in a backslash) into OriginalVmg.
uint8_t OriginalVmg[kVmgImageCapacity];
ImageRef ReadBackupVmg(const char* backup) {
  char name[kPathCapacity];
  ImageRef image{OriginalVmg, 0};
  if (!Join(name, backup, "VIDEO_TS.IFO")) return image;
  std::FILE* f = platform::OpenFile(name, "rb");
  if (!f) return image;
  image.size = int64_t(std::fread(OriginalVmg, 1, sizeof OriginalVmg, f));
  std::fclose(f);
  return image;
}

// The files listed in Listed, in the folder `backup`, as the writer takes them.
const PendingFile* ListedInWritingOrder(const char* backup) {
  static char sources[kMaxBackupFiles][kPathCapacity];
  static PendingFile files[kMaxBackupFiles];
  for (int i = 0; i < Listed.count; ++i) {
    // Insertion by name keeps the order in which execute writes: each IFO
    // just before its BUP, the video manager before the title sets.
    int at = i;
    while (at > 0 && WrittenBefore(Listed.names[i], files[at - 1].name)) {
      files[at] = files[at - 1];
      std::memcpy(sources[at], sources[at - 1], kPathCapacity);
      files[at].sourcePath = sources[at];
      --at;
    }
    Join(sources[at], backup, Listed.names[i]);
    files[at] = PendingFile{Listed.names[i], nullptr, 0, sources[at]};
  }
  return files;
}

// The backup folder as the user reads it: UTF-8, without its trailing backslash.
void ShownFolder(const char* backup, char* shown, std::size_t capacity) {
  char folder[kPathCapacity];
  std::snprintf(folder, sizeof folder, "%s", backup);
  DropTrailingBackslash(folder);
  ToUtf8(folder, shown, capacity);
}

void ShowBackupError(const char* text, const char* backup) {
  char shown[kPathCapacity * 3];
  ShownFolder(backup, shown, sizeof shown);
  char message[kPathCapacity * 3 + 512];
  std::snprintf(message, sizeof message, "%s\n%s", text, shown);
  platform::ShowMessage(message, "エラー", platform::kWarningBox);
}

}  // namespace

bool BackupFolderOf(const char* editFolder, char* out, std::size_t capacity) {
  char real[kPathCapacity];
  RealFolder(editFolder, real);
  return BackupFolderNamed(real, BackupName::Current, out, capacity);
}

bool FindOriginalBackup(const char* editFolder, char* out, std::size_t capacity) {
  char folder[kPathCapacity];
  std::snprintf(folder, sizeof folder, "%s", editFolder);
  AddTrailingBackslash(folder);
  static FoundBackup found;
  FindBackup(folder, &found);
  bool own =
      found.trust == BackupTrust::Own && Fits(std::snprintf(out, capacity, "%s", found.folder), capacity);
  if (!own && capacity > 0) out[0] = '\0';
  return own;
}

ImageRef OriginalVmgImage(const char* editFolder) {
  char backup[kPathCapacity];
  if (!FindOriginalBackup(editFolder, backup, sizeof backup)) return ImageRef{OriginalVmg, 0};
  return ReadBackupVmg(backup);
}

namespace {

// Copies the folder's files into a new backup at `backup` (without a
// trailing backslash), saying so when they are no disc's originals.
bool MakeBackup(const char* editFolder, const char* backup) {
  char temporary[kPathCapacity];
  if (!Join(temporary, backup, kTemporarySuffix)) return AskGoOnWithoutFolder(backup);
  // Left over from an execute that was cut off: it never became the backup.
  if (IsFolder(temporary)) RemoveHalfMade(temporary);

  if (!CopyIntoNewFolder(editFolder, temporary)) return AskGoOnWithoutFolder(backup);
  if (!platform::RenameFolder(temporary, backup)) {
    RemoveHalfMade(temporary);
    return AskGoOnWithoutFolder(backup);
  }
  SyncParent(backup);
  char made[kPathCapacity];
  if (Join(made, backup, "\\") && HoldsEarlierExecute(ReadBackupVmg(made))) {
    char shown[kPathCapacity * 3];
    ToUtf8(backup, shown, sizeof shown);
    char text[kPathCapacity * 3 + 128];
    std::snprintf(text, sizeof text, "%s\n%s", kAlreadyChangedText, shown);
    platform::ShowMessage(text, "情報", platform::kInformationBox);
  }
  return true;
}

}  // namespace

bool EnsureOriginalBackup(const char* editFolder) {
  char backup[kPathCapacity];
  if (!BackupFolderOf(editFolder, backup, sizeof backup)) {
    char edit[kPathCapacity];
    std::snprintf(edit, sizeof edit, "%s", editFolder);
    DropTrailingBackslash(edit);
    std::size_t n = std::strlen(edit);
    bool root = n == 0 || edit[n - 1] == ':';
    return AskGoOnWithout(
        root ? "編集フォルダがドライブのルートのため, 隣にバックアップ用のフォルダを作れません."
             : "バックアップ用のフォルダのパスが長すぎます.");
  }
  DropTrailingBackslash(backup);
  static FoundBackup found;
  FindBackup(editFolder, &found);
  if (found.trust == BackupTrust::Own) {
    // Made by an earlier execute: keep the first originals. Under a name
    // that spoils a burned disc, move it out of the way; where it cannot
    // move it still holds them, and stays.
    char current[kPathCapacity];
    if (found.name != BackupName::Current &&
        BackupFolderNamed(found.owner, BackupName::Current, current, sizeof current)) {
      DropTrailingBackslash(found.folder);
      DropTrailingBackslash(current);
      if (!Exists(current) && platform::RenameFolder(found.folder, current)) SyncParent(current);
    }
    return true;
  }
  if (IsFolder(backup)) {
    // Another disc's, or one that fails its record: never used nor
    // overwritten; the user decides where it goes.
    char text[kPathCapacity * 3 + 512];
    char shown[kPathCapacity * 3];
    ToUtf8(backup, shown, sizeof shown);
    char there[kPathCapacity];
    BackupTrust trust =
        Join(there, backup, "\\") ? CheckBackupRecord(editFolder, there) : BackupTrust::Changed;
    std::snprintf(text, sizeof text, "%s\n%s\n%s", BackupFault(trust), kMoveAsideText, shown);
    return AskGoOnWithout(text);
  }
  if (Exists(backup)) return AskGoOnWithoutFolder(backup);
  return MakeBackup(editFolder, backup);
}

bool RestoreOriginalBackup(const char* editFolder) {
  char folder[kPathCapacity];
  if (std::strlen(editFolder) > kPathCapacity - 2) {
    platform::ShowMessage("編集フォルダのパスが長すぎます.", "エラー", platform::kWarningBox);
    return false;
  }
  std::snprintf(folder, sizeof folder, "%s", editFolder);
  AddTrailingBackslash(folder);
  if (!RecoverInterruptedWrite(folder)) return false;

  static FoundBackup found;
  FindBackup(folder, &found);
  if (found.trust == BackupTrust::None) {
    char backup[kPathCapacity];
    if (BackupFolderOf(folder, backup, sizeof backup)) {
      ShowBackupError(BackupFault(BackupTrust::None), backup);
    } else {
      platform::ShowMessage(BackupFault(BackupTrust::None), "エラー", platform::kWarningBox);
    }
    return false;
  }
  const char* backup = found.folder;
  if (!ListIfoAndBup(backup, &Listed)) {
    platform::ShowMessage("バックアップのファイルが多すぎるか, 名前が長すぎるため復元できません.", "エラー",
                          platform::kWarningBox);
    return false;
  }
  if (Listed.count == 0) {
    platform::ShowMessage("バックアップにIFOファイルがありません.", "エラー", platform::kWarningBox);
    return false;
  }
  if (found.trust != BackupTrust::Own) {
    char text[512];
    std::snprintf(text, sizeof text, "%s 復元できません.", BackupFault(found.trust));
    ShowBackupError(text, backup);
    return false;
  }

  if (!WriteFileSet(folder, ListedInWritingOrder(backup), Listed.count)) return false;

  char shown[kPathCapacity * 3];
  ShownFolder(backup, shown, sizeof shown);
  char text[kPathCapacity * 3 + 512];
  bool changed = HoldsEarlierExecute(ReadBackupVmg(backup));
  std::snprintf(text, sizeof text,
                "元のIFOファイルを復元しました.\nバックアップはそのまま残してあります: %s%s%s", shown,
                changed ? "\n" : "", changed ? kRestoredChangedText : "");
  platform::ShowMessage(text, "情報", platform::kInformationBox);
  return true;
}
