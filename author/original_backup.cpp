#include "author/original_backup.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "author/file_copy.h"
#include "author/file_set_writer.h"
#include "disc/disc_state.h"
#include "disc/interrupted_write.h"
#include "disc/sjis_text.h"
#include "platform/platform.h"

namespace {

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
// Inside the backup: what the disc was when it was taken (see DescribeDisc).
constexpr char kRecordName[] = "DISC.TXT";
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
  if (Join(path, withSlash, kRecordName)) platform::RemoveFile(path);
  platform::RemoveFolder(folder);
}

struct Description {
  char* text;
  std::size_t capacity;
  std::size_t used;
  bool vobs;  // the VOB files, else the IFO and BUP files
  bool overflow;
};

void DescribeOne(const platform::DirEntry& entry, void* context) {
  Description* d = static_cast<Description*>(context);
  if (entry.attributes & platform::kDirectory) return;
  const char* dot = std::strrchr(entry.name, '.');
  bool vob = dot && (dot[1] | 0x20) == 'v' && (dot[2] | 0x20) == 'o' && (dot[3] | 0x20) == 'b' && !dot[4];
  if (d->vobs ? !vob : !HasIfoOrBupExtension(entry.name)) return;
  int n = std::snprintf(d->text + d->used, d->capacity - d->used, "%llu %s\n",
                        static_cast<unsigned long long>(entry.size), entry.name);
  if (n < 0 || static_cast<std::size_t>(n) >= d->capacity - d->used) {
    d->overflow = true;
    return;
  }
  d->used += n;
}

// A disc as far as a backup needs to tell it from another: the names and
// sizes of the VOB files of `vobFolder` (which patching never changes), then
// those of the IFO and BUP files of `ifoFolder`. Both end in a backslash.
bool DescribeDisc(const char* vobFolder, const char* ifoFolder, char* text, std::size_t capacity) {
  Description d{text, capacity, 0, true, false};
  text[0] = '\0';
  char pattern[kPathCapacity];
  if (!Join(pattern, vobFolder, "*.*")) return false;
  platform::ListFolder(pattern, platform::kAnyEntry, DescribeOne, &d);
  d.vobs = false;
  if (!Join(pattern, ifoFolder, "*.*")) return false;
  platform::ListFolder(pattern, platform::kAnyEntry, DescribeOne, &d);
  return !d.overflow;
}

// About 1,200 files of a full disc at under 300 bytes a line.
constexpr std::size_t kDescriptionCapacity = 384 * 1024;
char Described[kDescriptionCapacity];
char Recorded[kDescriptionCapacity];

bool WriteRecord(const char* editFolder, const char* into) {
  char path[kPathCapacity];
  if (!DescribeDisc(editFolder, editFolder, Described, sizeof Described) || !Join(path, into, kRecordName))
    return false;
  std::FILE* out = platform::OpenFile(path, "wb");
  if (!out) return false;
  std::size_t size = std::strlen(Described);
  bool ok = platform::WriteBytes(Described, size, out) == size;
  ok = platform::FlushToDisk(out) && ok;
  ok = platform::CloseFile(out) && ok;
  return ok;
}

// Whether the backup was taken from the disc now in the folder. A backup
// made before the record existed has none, and is taken on trust.
bool BelongsToFolder(const char* editFolder, const char* backup) {
  char path[kPathCapacity];
  if (!Join(path, backup, kRecordName)) return false;
  if (!Exists(path)) return true;
  std::FILE* in = platform::OpenFile(path, "rb");
  if (!in) return false;
  std::size_t size = std::fread(Recorded, 1, sizeof Recorded - 1, in);
  bool whole = size < sizeof Recorded - 1 && !std::ferror(in);
  std::fclose(in);
  Recorded[size] = '\0';
  return whole && DescribeDisc(editFolder, backup, Described, sizeof Described) &&
         std::strlen(Recorded) == size && std::strcmp(Recorded, Described) == 0;
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

const PendingFile* ListedAsCopies(const char* from);
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
            WriteFileSet(into, ListedAsCopies(editFolder), Listed.count, kBackupWriteMessages);
  // Whatever of the writer's own the set could not remove stays out of the backup.
  ok = ok && RecoverFileSet(into) != Recovery::kStuck;
  ok = ok && WriteRecord(editFolder, into) && platform::SyncFolder(made);
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

// The files in Listed as copies of those in `from`, to be written as one
// set in the order execute writes: each IFO just before its BUP, the video
// manager before the title sets.
const PendingFile* ListedAsCopies(const char* from) {
  static char sources[kMaxBackupFiles][kPathCapacity];
  static PendingFile files[kMaxBackupFiles];
  for (int i = 0; i < Listed.count; ++i) {
    int at = i;
    while (at > 0 && WrittenBefore(Listed.names[i], files[at - 1].name)) {
      files[at] = files[at - 1];
      std::memcpy(sources[at], sources[at - 1], kPathCapacity);
      files[at].sourcePath = sources[at];
      --at;
    }
    Join(sources[at], from, Listed.names[i]);
    files[at] = PendingFile{Listed.names[i], nullptr, 0, sources[at]};
  }
  return files;
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

}  // namespace

bool BackupFolderOf(const char* editFolder, char* out, std::size_t capacity) {
  return BackupFolderNamed(editFolder, BackupName::Current, out, capacity);
}

bool FindOriginalBackup(const char* editFolder, char* out, std::size_t capacity) {
  char folder[kPathCapacity];
  for (BackupName name : {BackupName::Current, BackupName::Prefixed, BackupName::Old}) {
    if (!BackupFolderNamed(editFolder, name, folder, sizeof folder)) continue;
    DropTrailingBackslash(folder);
    if (IsFolder(folder) && Fits(std::snprintf(out, capacity, "%s\\", folder), capacity)) return true;
  }
  if (capacity > 0) out[0] = '\0';
  return false;
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
  char old[kPathCapacity];
  if (FindOriginalBackup(editFolder, old, sizeof old)) {
    // Under the name that spoils a burned disc: move it out of the way. Where
    // it cannot move it still holds the first originals, and stays.
    DropTrailingBackslash(old);
    if (platform::RenameFolder(old, backup)) SyncParent(backup);
    return true;
  }

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
  return true;
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

  char backup[kPathCapacity];
  if (!FindOriginalBackup(folder, backup, sizeof backup)) {
    char text[kPathCapacity * 3 + 128];
    std::snprintf(text, sizeof text, "%s", "元のIFOファイルのバックアップがありません.");
    if (BackupFolderOf(folder, backup, sizeof backup)) {
      DropTrailingBackslash(backup);
      char shown[kPathCapacity * 3];
      ToUtf8(backup, shown, sizeof shown);
      std::snprintf(text, sizeof text, "元のIFOファイルのバックアップがありません.\n%s", shown);
    }
    platform::ShowMessage(text, "エラー", platform::kWarningBox);
    return false;
  }
  char backupName[kPathCapacity];
  std::snprintf(backupName, sizeof backupName, "%s", backup);
  DropTrailingBackslash(backupName);
  if (!BelongsToFolder(folder, backup)) {
    char shown[kPathCapacity * 3];
    ToUtf8(backupName, shown, sizeof shown);
    char text[kPathCapacity * 3 + 256];
    std::snprintf(
        text, sizeof text,
        "バックアップはこのフォルダのディスクから作られたものでないか, 欠けているため復元できません.\n%s",
        shown);
    platform::ShowMessage(text, "エラー", platform::kWarningBox);
    return false;
  }
  if (!ListIfoAndBup(backup, &Listed)) {
    platform::ShowMessage("バックアップのファイルが多すぎるか, 名前が長すぎるため復元できません.", "エラー",
                          48);
    return false;
  }
  if (Listed.count == 0) {
    platform::ShowMessage("バックアップにIFOファイルがありません.", "エラー", platform::kWarningBox);
    return false;
  }

  if (!WriteFileSet(folder, ListedAsCopies(backup), Listed.count)) return false;

  char shown[kPathCapacity * 3];
  ToUtf8(backupName, shown, sizeof shown);
  char text[kPathCapacity * 3 + 256];
  std::snprintf(text, sizeof text, "元のIFOファイルを復元しました.\nバックアップはそのまま残してあります: %s",
                shown);
  platform::ShowMessage(text, "情報", platform::kInformationBox);
  return true;
}
