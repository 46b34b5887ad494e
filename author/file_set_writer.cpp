#include "author/file_set_writer.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "author/file_copy.h"
#include "disc/disc_state.h"
#include "disc/folder_listing.h"
#include "disc/interrupted_write.h"
#include "platform/platform.h"

namespace {

constexpr const char* kErrorCaption = "エラー";
constexpr int kWarningStyle = 48;

// A file name or path as the user reads it; names on disc are Shift-JIS.
void NameForMessage(const char* name, char* out, std::size_t capacity) {
  if (!platform::DisplayPath(name, out, capacity)) std::snprintf(out, capacity, "%s", "?");
}

void ShowAboutFile(const char* format, const char* name) {
  char shown[kPathCapacity * 3];
  NameForMessage(name, shown, sizeof shown);
  char text[1024];
  std::snprintf(text, sizeof text, format, shown);
  platform::ShowMessage(text, kErrorCaption, kWarningStyle);
}

enum class Written { kOk, kCannotCreate, kWriteFailed, kReadFailed };

// Writes a file's content into `path` and makes it durable; on failure the
// file at `path`, if any, is the caller's to remove.
Written WriteOne(const char* path, const PendingFile& content) {
  std::FILE* out = platform::OpenFile(path, "wb");
  if (!out) return Written::kCannotCreate;
  bool readFailed = false;
  bool written;
  if (content.sourcePath) {
    written = CopyFileContent(content.sourcePath, out, &readFailed);
  } else {
    std::size_t size = static_cast<std::size_t>(content.size);
    written = size == 0 || platform::WriteBytes(content.bytes, size, out) == size;
  }
  written = written && platform::FlushToDisk(out);
  // Closing can be where a delayed write error surfaces.
  written = platform::CloseFile(out) && written;
  if (written) return Written::kOk;
  return readFailed ? Written::kReadFailed : Written::kWriteFailed;
}

// The file's new content into its temporary; says what failed, naming the
// real file.
bool WriteTemporary(const char* folder, const PendingFile& file, const WriteMessages& messages) {
  char temporary[kPathCapacity];
  SetPath(temporary, folder, file.name, kTemporarySuffix);
  Written written = WriteOne(temporary, file);
  if (written == Written::kOk) return true;
  if (written == Written::kReadFailed) {
    char shown[kPathCapacity * 3];
    char source[kPathCapacity * 3];
    NameForMessage(file.name, shown, sizeof shown);
    NameForMessage(file.sourcePath, source, sizeof source);
    char text[2048];
    std::snprintf(text, sizeof text, "%sの元になるファイルが読み込めません.\n%s", shown, source);
    platform::ShowMessage(text, kErrorCaption, kWarningStyle);
  } else {
    ShowAboutFile(written == Written::kCannotCreate ? messages.cannotCreate : messages.writeFailed,
                  file.name);
  }
  return false;
}

// A copy of the file as it is, which can undo the set until the whole set is in.
bool KeepOriginal(const char* folder, const char* name, const WriteMessages& messages) {
  char target[kPathCapacity];
  char copy[kPathCapacity];
  SetPath(target, folder, name);
  SetPath(copy, folder, name, kOriginalSuffix);
  Written written = WriteOne(copy, PendingFile{name, nullptr, 0, target});
  if (written == Written::kOk) return true;
  ShowAboutFile(written == Written::kReadFailed     ? "%sが読み込めません."
                : written == Written::kCannotCreate ? messages.cannotCreate
                                                    : messages.writeFailed,
                name);
  return false;
}

bool IsFile(const char* folder, const char* name) {
  char path[kPathCapacity];
  uint32_t attributes = 0;
  return SetPath(path, folder, name) && platform::GetAttributes(path, &attributes) &&
         !(attributes & platform::kDirectory);
}

// Every temporary, and with a record a copy of every original; on failure
// nothing of them is left.
bool WriteTemporaries(const char* folder, const PendingFile* files, int count, bool recorded,
                      const WriteMessages& messages, SetMember* members) {
  for (int i = 0; i < count; ++i) {
    members[i] = SetMember{files[i].name, recorded && IsFile(folder, files[i].name)};
    if (!WriteTemporary(folder, files[i], messages) ||
        (members[i].kept && !KeepOriginal(folder, files[i].name, messages))) {
      DiscardFileSet(folder, members, i + 1);
      return false;
    }
  }
  return true;
}

// Appends "name, " lists to a message without overrunning it.
void AppendNames(char* text, std::size_t capacity, const PendingFile* files, int from, int to) {
  std::size_t used = std::strlen(text);
  if (from >= to) {
    std::snprintf(text + used, capacity - used, "%s", "なし");
    return;
  }
  for (int i = from; i < to; ++i) {
    char shown[kPathCapacity * 3];
    NameForMessage(files[i].name, shown, sizeof shown);
    used = std::strlen(text);
    int n = std::snprintf(text + used, capacity - used, "%s%s", i > from ? ", " : "", shown);
    if (n < 0 || static_cast<std::size_t>(n) >= capacity - used) {
      // Out of room: end the list visibly rather than cut a name in half.
      text[used] = '\0';
      std::snprintf(text + used, capacity - used, "%s", ", ...");
      return;
    }
  }
}

// Names the file that could not be replaced and which files hold their new
// contents now: none, unless putting an original back failed as well.
void ShowReplaceFailure(const PendingFile* files, int failed, int count, const bool* holdsNew) {
  char shown[kPathCapacity * 3];
  NameForMessage(files[failed].name, shown, sizeof shown);
  char text[4096];
  std::snprintf(text, sizeof text, "%sの置き換えでエラーが発生しました.\n置き換え済み: ", shown);
  static PendingFile listed[kMaxFileSet];
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (holdsNew[i]) listed[n++] = files[i];
  }
  AppendNames(text, sizeof text, listed, 0, n);
  std::size_t used = std::strlen(text);
  std::snprintf(text + used, sizeof text - used, "%s", "\n元のまま: ");
  n = 0;
  for (int i = 0; i < count; ++i) {
    if (!holdsNew[i]) listed[n++] = files[i];
  }
  AppendNames(text, sizeof text, listed, 0, n);
  platform::ShowMessage(text, kErrorCaption, kWarningStyle);
}

// Each temporary over its file; on a failure the set goes back.
bool PutSetInPlace(const char* folder, const PendingFile* files, const SetMember* members, int count,
                   bool recorded) {
  static bool holdsNew[kMaxFileSet];
  char temporary[kPathCapacity];
  char target[kPathCapacity];
  for (int i = 0; i < count; ++i) {
    SetPath(temporary, folder, files[i].name, kTemporarySuffix);
    SetPath(target, folder, files[i].name);
    if (PutInPlace(temporary, target)) continue;
    if (recorded) {
      UndoFileSet(folder, members, count, holdsNew);
    } else {
      platform::RemoveFile(temporary);
      holdsNew[0] = false;
    }
    ShowReplaceFailure(files, i, count, holdsNew);
    return false;
  }
  if (recorded) {
    EndFileSet(folder, members, count);
  } else {
    platform::SyncFolder(folder);
  }
  return true;
}

}  // namespace

const WriteMessages kIfoWriteMessages = {"%sが更新できません.", "%sの書き込みでエラーが発生しました."};

bool WriteFileSet(const char* folder, const PendingFile* files, int count, const WriteMessages& messages) {
  if (count < 1 || count > kMaxFileSet) return false;
  for (int i = 0; i < count; ++i) {
    if (!FileSetPathFits(folder, files[i].name)) {
      ShowAboutFile("%sが更新できません.\nフォルダのパスが長すぎます.", files[i].name);
      return false;
    }
  }
  // One file is replaced by one rename, all or nothing by itself; a set
  // needs the record.
  const bool recorded = count > 1;
  if (recorded && !RecoverInterruptedWrite(folder)) return false;
  static SetMember members[kMaxFileSet];
  if (!WriteTemporaries(folder, files, count, recorded, messages, members)) return false;
  if (recorded && !BeginFileSet(folder, members, count)) {
    DiscardFileSet(folder, members, count);
    char shown[kPathCapacity * 3];
    NameForMessage(folder, shown, sizeof shown);
    char text[2048];
    std::snprintf(text, sizeof text, "%s\n%s",
                  "書き込みを記録するファイルが作れないため, 更新できません. ファイルは元のままです.", shown);
    platform::ShowMessage(text, kErrorCaption, kWarningStyle);
    return false;
  }
  return PutSetInPlace(folder, files, members, count, recorded);
}

int CollectPatchedFiles(PendingFile* files, int capacity, char names[][16]) {
  int count = 2 + 2 * Disc.TitleSetCount;
  if (Disc.TitleSetCount < 0 || Disc.TitleSetCount > kMaxTitleSets || count > capacity) return -1;
  if (Disc.VmgSize <= 0 || Disc.VmgSize > kVmgImageCapacity) return -1;
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    int64_t offset = Disc.IfoOffset[n];
    int64_t size = Disc.IfoSize[n];
    if (offset < 0 || size <= 0 || offset + size > kIfoStoreCapacity) return -1;
  }

  int k = 0;
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    const uint8_t* bytes = n == 0 ? Disc.VmgImage : VtsImage(n);
    int64_t size = n == 0 ? Disc.VmgSize : Disc.IfoSize[n];
    // Under the names the folder gave them when it was listed.
    for (DiscFileKind kind : {DiscFileKind::Ifo, DiscFileKind::Bup}) {
      DiscFileName(Disc.EditFolder, n, kind, 0, names[k], 16);
      files[k] = PendingFile{names[k], bytes, size};
      ++k;
    }
  }
  return k;
}
