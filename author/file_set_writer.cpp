#include "author/file_set_writer.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "author/file_copy.h"
#include "disc/disc_state.h"
#include "disc/folder_listing.h"
#include "platform/platform.h"

namespace {

constexpr const char* kErrorCaption = "エラー";
constexpr int kWarningStyle = 48;

// Builds folder + name (+ suffix) into a path buffer; false when it does not fit.
bool BuildPath(char* out, const char* folder, const char* name, const char* suffix) {
  int n = std::snprintf(out, kPathCapacity, "%s%s%s", folder, name, suffix);
  return n >= 0 && n < kPathCapacity;
}

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

// Writes one file's new content to its temporary and makes it durable.
// Shows the message naming the real file when anything fails; the temporary
// may then exist and is the caller's to remove.
bool WriteTemporary(const char* temporary, const PendingFile& file, const WriteMessages& messages) {
  std::FILE* out = platform::OpenFile(temporary, "wb");
  if (!out) {
    ShowAboutFile(messages.cannotCreate, file.name);
    return false;
  }
  bool readFailed = false;
  bool written;
  if (file.sourcePath) {
    written = CopyFileContent(file.sourcePath, out, &readFailed);
  } else {
    std::size_t size = static_cast<std::size_t>(file.size);
    written = size == 0 || platform::WriteBytes(file.bytes, size, out) == size;
  }
  written = written && platform::FlushToDisk(out);
  // Closing can be where a delayed write error surfaces.
  written = platform::CloseFile(out) && written;
  if (!written) {
    if (readFailed) {
      char shown[kPathCapacity * 3];
      char source[kPathCapacity * 3];
      NameForMessage(file.name, shown, sizeof shown);
      NameForMessage(file.sourcePath, source, sizeof source);
      char text[2048];
      std::snprintf(text, sizeof text, "%sの元になるファイルが読み込めません.\n%s", shown, source);
      platform::ShowMessage(text, kErrorCaption, kWarningStyle);
    } else {
      ShowAboutFile(messages.writeFailed, file.name);
    }
    return false;
  }
  return true;
}

void RemoveTemporaries(const char* folder, const PendingFile* files, int from, int to) {
  char temporary[kPathCapacity];
  for (int i = from; i < to; ++i) {
    if (BuildPath(temporary, folder, files[i].name, kTemporarySuffix)) platform::RemoveFile(temporary);
  }
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

struct Paths {
  char temporary[kPathCapacity];
  char target[kPathCapacity];
  char original[kPathCapacity];  // where the original steps aside
};

void BuildPaths(const char* folder, const char* name, Paths* p) {
  BuildPath(p->temporary, folder, name, kTemporarySuffix);
  BuildPath(p->target, folder, name, "");
  BuildPath(p->original, folder, name, kOriginalSuffix);
}

// Moves one temporary over its original, which first steps aside under its
// original's name so that it can come back. Keeps the original's hidden,
// system and archive bits. A read-only original is made writable first:
// Windows refuses to replace it otherwise. On failure the folder is as
// before.
bool ReplaceOne(const Paths& p, bool* existed) {
  uint32_t before = 0;
  *existed = platform::GetAttributes(p.target, &before) && !(before & platform::kDirectory);
  bool readOnly = *existed && (before & platform::kReadOnly);
  if (readOnly) platform::SetAttributes(p.target, before & ~platform::kReadOnly);
  bool asideOk = !*existed || platform::ReplaceFile(p.target, p.original);
  if (!asideOk || !platform::ReplaceFile(p.temporary, p.target)) {
    if (asideOk && *existed) platform::ReplaceFile(p.original, p.target);
    if (readOnly) platform::SetAttributes(p.target, before);
    return false;
  }
  if (*existed) {
    uint32_t wanted = before & ~static_cast<uint32_t>(platform::kReadOnly);
    uint32_t now = 0;
    if (platform::GetAttributes(p.target, &now) && now != wanted) platform::SetAttributes(p.target, wanted);
  }
  return true;
}

// Puts back the originals of files 0..replaced-1 after file `failed` could
// not be replaced; holdsNew tells which could not be put back.
void PutOriginalsBack(const char* folder, const PendingFile* files, int replaced, const bool* existed,
                      bool* holdsNew) {
  Paths p;
  for (int i = replaced - 1; i >= 0; --i) {
    BuildPaths(folder, files[i].name, &p);
    holdsNew[i] = existed[i] ? !platform::ReplaceFile(p.original, p.target) : !platform::RemoveFile(p.target);
  }
}

}  // namespace

const WriteMessages kIfoWriteMessages = {"%sが更新できません.", "%sの書き込みでエラーが発生しました."};

bool FileSetPathFits(const char* folder, const char* name) {
  return std::strlen(folder) + std::strlen(name) + std::strlen(kTemporarySuffix) < kPathCapacity;
}

bool WriteFileSet(const char* folder, const PendingFile* files, int count, const WriteMessages& messages) {
  if (count > kMaxFileSet) return false;
  for (int i = 0; i < count; ++i) {
    if (!FileSetPathFits(folder, files[i].name)) {
      ShowAboutFile("%sが更新できません.\nフォルダのパスが長すぎます.", files[i].name);
      return false;
    }
  }

  char temporary[kPathCapacity];
  for (int i = 0; i < count; ++i) {
    BuildPath(temporary, folder, files[i].name, kTemporarySuffix);
    if (!WriteTemporary(temporary, files[i], messages)) {
      // The temporary of file i exists only if it was opened, and then it is ours.
      uint32_t attributes = 0;
      bool ours = platform::GetAttributes(temporary, &attributes) && !(attributes & platform::kDirectory);
      RemoveTemporaries(folder, files, 0, ours ? i + 1 : i);
      return false;
    }
  }

  static bool existed[kMaxFileSet];
  static bool holdsNew[kMaxFileSet];
  Paths p;
  for (int i = 0; i < count; ++i) {
    BuildPaths(folder, files[i].name, &p);
    holdsNew[i] = false;
    if (!ReplaceOne(p, &existed[i])) {
      PutOriginalsBack(folder, files, i, existed, holdsNew);
      RemoveTemporaries(folder, files, i, count);
      platform::SyncFolder(folder);
      ShowReplaceFailure(files, i, count, holdsNew);
      return false;
    }
  }
  // Every file holds its new content; a folder that cannot be synced has
  // nothing left to undo, so this does not make the set fail, and neither
  // does an original left aside (the next set renames over it).
  platform::SyncFolder(folder);
  for (int i = 0; i < count; ++i) {
    BuildPaths(folder, files[i].name, &p);
    if (existed[i]) platform::RemoveFile(p.original);
  }
  return true;
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
