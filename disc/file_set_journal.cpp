#include "disc/file_set_journal.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/platform.h"

namespace {

// The record of a set being put in, and the same record once the set is to
// be undone: one rename turns the set round, so that a run killed while
// undoing is undone by the next, not completed.
constexpr char kIntentName[] = "REELWRITE.rwset";
constexpr char kUndoName[] = "REELWRITE.rwundo";
static_assert(sizeof kUndoName <= sizeof "VTS_01_0.IFO" + sizeof kTemporarySuffix - 1,
              "FileSetPathFits covers the record's names");

// The record: this line, one line per member ("K " for a member whose
// original waits as a copy, "N " for a new file, then its name), and the end
// line, which a record cut short by a power cut lacks.
constexpr char kHeader[] = "REELWRITE FILE SET\n";
constexpr char kEnd[] = "END\n";
constexpr std::size_t kRecordCapacity = sizeof kHeader + kMaxFileSet * (kPathCapacity + 3) + sizeof kEnd;

bool Exists(const char* path) { return platform::FindEntry(path, platform::kAnyFile, nullptr); }

bool WriteRecord(const char* path, const SetMember* members, int count) {
  static char text[kRecordCapacity];
  std::size_t used = std::snprintf(text, sizeof text, "%s", kHeader);
  for (int i = 0; i < count; ++i)
    used += std::snprintf(text + used, sizeof text - used, "%c %s\n", members[i].kept ? 'K' : 'N',
                          members[i].name);
  used += std::snprintf(text + used, sizeof text - used, "%s", kEnd);
  std::FILE* out = platform::OpenFile(path, "wb");
  if (!out) return false;
  bool ok = platform::WriteBytes(text, used, out) == used;
  ok = platform::FlushToDisk(out) && ok;
  ok = platform::CloseFile(out) && ok;
  return ok;
}

// Splits a record read whole into its members, whose names then point into
// `text`; false for anything but a whole record.
bool ParseRecord(char* text, std::size_t size, SetMember* members, int* count) {
  const std::size_t header = sizeof kHeader - 1;
  const std::size_t end = sizeof kEnd - 1;
  if (size < header || std::memcmp(text, kHeader, header) != 0) return false;
  *count = 0;
  for (std::size_t at = header; at < size;) {
    if (size - at == end && std::memcmp(text + at, kEnd, end) == 0) return *count > 0;
    char* line = text + at;
    char* lineEnd = static_cast<char*>(std::memchr(line, '\n', size - at));
    if (!lineEnd || *count == kMaxFileSet || lineEnd - line < 3 || line[1] != ' ' ||
        (line[0] != 'K' && line[0] != 'N') || std::memchr(line, '\0', lineEnd - line))
      return false;
    *lineEnd = '\0';
    if (!IsSetMemberName(line + 2)) return false;
    members[(*count)++] = SetMember{line + 2, line[0] == 'K'};
    at = lineEnd - text + 1;
  }
  return false;
}

// Puts back the original of every member that was put in place; false when
// one could not be, which holdsNew tells.
bool PutOriginalsBack(const char* folder, const SetMember* members, int count, bool* holdsNew) {
  bool whole = true;
  char temporary[kPathCapacity], target[kPathCapacity], copy[kPathCapacity];
  for (int i = 0; i < count; ++i) {
    SetPath(temporary, folder, members[i].name, kTemporarySuffix);
    SetPath(target, folder, members[i].name);
    SetPath(copy, folder, members[i].name, kOriginalSuffix);
    holdsNew[i] = false;
    // A temporary still there was never put in: the original is in place.
    // A copy gone was put back already, by a run that was cut off after it.
    if (Exists(temporary)) continue;
    bool back = members[i].kept ? !Exists(copy) || PutInPlace(copy, target)
                                : !Exists(target) || platform::RemoveFile(target);
    holdsNew[i] = !back;
    whole = whole && back;
  }
  return whole;
}

}  // namespace

bool SetPath(char (&out)[kPathCapacity], const char* folder, const char* name, const char* suffix) {
  int n = std::snprintf(out, sizeof out, "%s%s%s", folder, name, suffix);
  if (n >= 0 && n < kPathCapacity) return true;
  out[0] = '\0';
  return false;
}

bool FileSetPathFits(const char* folder, const char* name) {
  return std::strlen(folder) + std::strlen(name) + std::strlen(kTemporarySuffix) < kPathCapacity;
}

bool IsSetMemberName(const char* name) {
  std::size_t n = std::strlen(name);
  return n > 0 && n < kPathCapacity && std::strpbrk(name, "\\/:\r\n") == nullptr &&
         std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

bool SetRecordPath(char (&out)[kPathCapacity], const char* folder, SetRecord which) {
  return SetPath(out, folder, which == SetRecord::kUndo ? kUndoName : kIntentName);
}

bool BeginFileSet(const char* folder, const SetMember* members, int count) {
  if (count < 1 || count > kMaxFileSet) return false;
  for (int i = 0; i < count; ++i) {
    if (!IsSetMemberName(members[i].name)) return false;
  }
  char path[kPathCapacity];
  // The temporaries and copies are flushed; their names must last as well
  // before a record sends the next run looking for them.
  if (!SetRecordPath(path, folder, SetRecord::kComplete) || !platform::SyncFolder(folder)) return false;
  if (WriteRecord(path, members, count) && platform::SyncFolder(folder)) return true;
  platform::RemoveFile(path);
  return false;
}

bool PutInPlace(const char* from, const char* to) {
  uint32_t before = 0;
  bool existed = platform::GetAttributes(to, &before) && !(before & platform::kDirectory);
  bool readOnly = existed && (before & platform::kReadOnly);
  if (readOnly) platform::SetAttributes(to, before & ~platform::kReadOnly);
  if (!platform::ReplaceFile(from, to)) {
    if (readOnly) platform::SetAttributes(to, before);
    return false;
  }
  if (existed) {
    uint32_t wanted = before & ~static_cast<uint32_t>(platform::kReadOnly);
    uint32_t now = 0;
    if (platform::GetAttributes(to, &now) && now != wanted) platform::SetAttributes(to, wanted);
  }
  return true;
}

bool UndoFileSet(const char* folder, const SetMember* members, int count, bool* holdsNew) {
  char intent[kPathCapacity], undo[kPathCapacity];
  SetRecordPath(intent, folder, SetRecord::kComplete);
  SetRecordPath(undo, folder, SetRecord::kUndo);
  // Until the record says undo, and lasts, a put-back original would be
  // taken for a file already put in by a run that completes the set.
  if ((!Exists(undo) && !platform::ReplaceFile(intent, undo)) || !platform::SyncFolder(folder)) {
    char temporary[kPathCapacity];
    for (int i = 0; i < count; ++i) {
      SetPath(temporary, folder, members[i].name, kTemporarySuffix);
      holdsNew[i] = !Exists(temporary);
    }
    return false;
  }
  if (!PutOriginalsBack(folder, members, count, holdsNew)) return false;
  platform::SyncFolder(folder);
  DiscardFileSet(folder, members, count);
  platform::RemoveFile(undo);
  return true;
}

void EndFileSet(const char* folder, const SetMember* members, int count) {
  // The new names must last before the copies that could undo them go; a
  // folder that cannot be synced has nothing left to undo, so this does not
  // make the set fail.
  platform::SyncFolder(folder);
  char path[kPathCapacity];
  for (int i = 0; i < count; ++i) {
    if (members[i].kept && SetPath(path, folder, members[i].name, kOriginalSuffix))
      platform::RemoveFile(path);
  }
  if (SetRecordPath(path, folder, SetRecord::kComplete)) platform::RemoveFile(path);
}

void DiscardFileSet(const char* folder, const SetMember* members, int count) {
  char path[kPathCapacity];
  for (int i = 0; i < count; ++i) {
    if (SetPath(path, folder, members[i].name, kTemporarySuffix)) platform::RemoveFile(path);
    if (members[i].kept && SetPath(path, folder, members[i].name, kOriginalSuffix))
      platform::RemoveFile(path);
  }
}

SetRecord ReadSetRecord(const char* folder, SetMember* members, int* count) {
  static char text[kRecordCapacity + 1];
  *count = 0;
  for (SetRecord which : {SetRecord::kUndo, SetRecord::kComplete}) {
    char path[kPathCapacity];
    if (!SetRecordPath(path, folder, which) || !Exists(path)) continue;
    std::FILE* in = platform::OpenFile(path, "rb");
    if (!in) return SetRecord::kUnreadable;
    std::size_t size = std::fread(text, 1, sizeof text, in);
    bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) return SetRecord::kUnreadable;
    return size < sizeof text && ParseRecord(text, size, members, count) ? which : SetRecord::kNone;
  }
  return SetRecord::kNone;
}
