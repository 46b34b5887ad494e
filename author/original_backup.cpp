#include "author/original_backup.h"

#include <cstdio>
#include <cstring>

#include "author/file_copy.h"
#include "author/file_set_writer.h"
#include "disc/disc_state.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

namespace {

constexpr char kBackupSuffix[] = "_ORIGINAL_IFO";
constexpr uint32_t kAnyEntry = 0x37;
// A VIDEO_TS folder holds at most 100 IFO files and their backups.
constexpr int kMaxBackupFiles = 256;

bool IsIfoOrBup(const platform::DirEntry& entry) {
  if (entry.attributes & platform::kDirectory) return false;
  return HasIfoOrBupExtension(entry.name);
}

bool IsFolder(const char* path) {
  platform::DirEntry entry;
  return platform::FindEntry(path, kAnyEntry, &entry) && (entry.attributes & platform::kDirectory);
}

bool Exists(const char* path) { return platform::FindEntry(path, kAnyEntry, nullptr); }

// path without its trailing backslash, in place.
void DropTrailingBackslash(char* path) {
  std::size_t n = std::strlen(path);
  if (n > 0 && path[n - 1] == '\\' && SjisByteClass(path, n - 1) != 2) path[n - 1] = '\0';
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
                "元のIFOファイルのバックアップを作成できません.\n%s\n"
                "バックアップなしで処理を継続しますか？",
                reason);
  return platform::ShowMessage(text, "確認", 36) != 7;
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
  platform::ListFolder(pattern, kAnyEntry, CollectIfoAndBup, list);
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
  char path[kPathCapacity];
  if (ListIfoAndBup(withSlash, &Listed)) {
    for (int i = 0; i < Listed.count; ++i) {
      if (Join(path, withSlash, Listed.names[i])) platform::RemoveFile(path);
    }
  }
  platform::RemoveFolder(folder);
}

bool CopyOneFile(const char* from, const char* to) {
  std::FILE* out = platform::OpenFile(to, "wb");
  if (!out) return false;
  bool readFailed;
  bool ok = CopyFileContent(from, out, &readFailed);
  ok = platform::FlushToDisk(out) && ok;
  ok = (std::fclose(out) == 0) && ok;
  return ok;
}

// Copies every IFO and BUP file of editFolder into a new folder `made`
// (without a trailing backslash). Leaves nothing behind on failure.
bool CopyIntoNewFolder(const char* editFolder, const char* made) {
  if (!platform::MakeFolder(made)) return false;
  char into[kPathCapacity];
  bool ok = Join(into, made, "\\") && ListIfoAndBup(editFolder, &Listed);
  char from[kPathCapacity];
  char to[kPathCapacity];
  for (int i = 0; ok && i < Listed.count; ++i) {
    ok = Join(from, editFolder, Listed.names[i]) && Join(to, into, Listed.names[i]) && CopyOneFile(from, to);
  }
  ok = ok && platform::SyncFolder(made);
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

bool BackupFolderOf(const char* editFolder, char* out, std::size_t capacity) {
  char folder[kPathCapacity];
  if (std::snprintf(folder, sizeof folder, "%s", editFolder) >= kPathCapacity) return false;
  DropTrailingBackslash(folder);
  // A drive root ("D:" once its backslash is gone) has no parent to hold a sibling.
  std::size_t n = std::strlen(folder);
  if (n == 0 || folder[n - 1] == ':' || (folder[n - 1] == '\\' && SjisByteClass(folder, n - 1) != 2))
    return false;
  int written = std::snprintf(out, capacity, "%s%s\\", folder, kBackupSuffix);
  if (written < 0 || static_cast<std::size_t>(written) >= capacity) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  return true;
}

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
  if (IsFolder(backup)) return true;  // made by an earlier execute: keep the first originals
  if (Exists(backup)) return AskGoOnWithoutFolder(backup);

  char temporary[kPathCapacity];
  if (!Join(temporary, backup, kTemporarySuffix)) return AskGoOnWithoutFolder(backup);
  // Left over from an execute that was cut off: it never became the backup.
  if (IsFolder(temporary)) RemoveHalfMade(temporary);

  if (!CopyIntoNewFolder(editFolder, temporary)) return AskGoOnWithoutFolder(backup);
  if (!platform::RenameFolder(temporary, backup)) {
    RemoveHalfMade(temporary);
    return AskGoOnWithoutFolder(backup);
  }
  char parent[kPathCapacity];
  std::snprintf(parent, sizeof parent, "%s", backup);
  char* lastSlash = std::strrchr(parent, '\\');
  if (lastSlash) {
    lastSlash[1] = '\0';
    platform::SyncFolder(parent);
  }
  return true;
}

bool RestoreOriginalBackup(const char* editFolder) {
  char folder[kPathCapacity];
  if (std::strlen(editFolder) > kPathCapacity - 2) {
    platform::ShowMessage("編集フォルダのパスが長すぎます.", "エラー", 48);
    return false;
  }
  std::snprintf(folder, sizeof folder, "%s", editFolder);
  AddTrailingBackslash(folder);

  char backup[kPathCapacity];
  bool named = BackupFolderOf(folder, backup, sizeof backup);
  char backupName[kPathCapacity];
  std::snprintf(backupName, sizeof backupName, "%s", named ? backup : "");
  DropTrailingBackslash(backupName);
  if (!named || !IsFolder(backupName)) {
    char text[kPathCapacity * 3 + 128];
    if (named) {
      char shown[kPathCapacity * 3];
      ToUtf8(backupName, shown, sizeof shown);
      std::snprintf(text, sizeof text, "元のIFOファイルのバックアップがありません.\n%s", shown);
    } else {
      std::snprintf(text, sizeof text, "%s", "元のIFOファイルのバックアップがありません.");
    }
    platform::ShowMessage(text, "エラー", 48);
    return false;
  }
  if (!ListIfoAndBup(backup, &Listed)) {
    platform::ShowMessage("バックアップのファイルが多すぎるか, 名前が長すぎるため復元できません.", "エラー",
                          48);
    return false;
  }
  if (Listed.count == 0) {
    platform::ShowMessage("バックアップにIFOファイルがありません.", "エラー", 48);
    return false;
  }

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
  if (!WriteFileSet(folder, files, Listed.count)) return false;

  char shown[kPathCapacity * 3];
  ToUtf8(backupName, shown, sizeof shown);
  char text[kPathCapacity * 3 + 256];
  std::snprintf(text, sizeof text, "元のIFOファイルを復元しました.\nバックアップはそのまま残してあります: %s",
                shown);
  platform::ShowMessage(text, "情報", 64);
  return true;
}
