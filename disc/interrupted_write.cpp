#include "disc/interrupted_write.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "disc/file_set_journal.h"
#include "disc/read_error.h"
#include "platform/platform.h"

namespace {

bool EndsWith(const char* name, const char* suffix) {
  std::size_t n = std::strlen(name), k = std::strlen(suffix);
  return n > k && std::strcmp(name + n - k, suffix) == 0;
}

struct Leftovers {
  const char* folder;
  int removed;
  int putBack;
};

// A temporary goes. So does a copy of an original, unless its file is
// missing: then it is an original that an older version's writer stepped
// aside, before moving the new file in, and was cut off.
void ClearOne(const platform::DirEntry& entry, void* context) {
  Leftovers* left = static_cast<Leftovers*>(context);
  const bool temporary = EndsWith(entry.name, kTemporarySuffix);
  if (!temporary && !EndsWith(entry.name, kOriginalSuffix)) return;
  char path[kPathCapacity], base[kPathCapacity];
  if (!SetPath(path, left->folder, entry.name)) return;
  std::snprintf(base, sizeof base, "%.*s", int(std::strlen(path) - std::strlen(kOriginalSuffix)), path);
  if (!temporary && !platform::FindEntry(base, platform::kAnyEntry, nullptr)) {
    left->putBack += PutInPlace(path, base);
  } else {
    left->removed += platform::RemoveFile(path);
  }
}

Recovery ClearLeftovers(const char* folder) {
  Leftovers left{folder, 0, 0};
  char path[kPathCapacity];
  // A record cut short: its set never began.
  for (SetRecord which : {SetRecord::kComplete, SetRecord::kUndo}) {
    if (SetRecordPath(path, folder, which) && platform::FindEntry(path, platform::kAnyFile, nullptr))
      left.removed += platform::RemoveFile(path);
  }
  if (SetPath(path, folder, "*.*")) platform::ListFolder(path, platform::kAnyFile, ClearOne, &left);
  if (left.putBack > 0) return Recovery::kPutBack;
  return left.removed > 0 ? Recovery::kCleared : Recovery::kNothing;
}

// Puts every temporary left in place; false when one cannot be.
bool PutTemporariesInPlace(const char* folder, const SetMember* members, int count) {
  char temporary[kPathCapacity], target[kPathCapacity];
  for (int i = 0; i < count; ++i) {
    SetPath(temporary, folder, members[i].name, kTemporarySuffix);
    SetPath(target, folder, members[i].name);
    if (platform::FindEntry(temporary, platform::kAnyFile, nullptr) && !PutInPlace(temporary, target))
      return false;
  }
  return true;
}

}  // namespace

Recovery RecoverFileSet(const char* folder) {
  static SetMember members[kMaxFileSet];
  static bool holdsNew[kMaxFileSet];
  int count = 0;
  SetRecord record = ReadSetRecord(folder, members, &count);
  if (record == SetRecord::kUnreadable) return Recovery::kStuck;
  if (record == SetRecord::kNone) return ClearLeftovers(folder);
  if (record == SetRecord::kComplete && PutTemporariesInPlace(folder, members, count)) {
    EndFileSet(folder, members, count);
    return Recovery::kCompleted;
  }
  // A file that cannot be put in place now may never be: the set goes back.
  return UndoFileSet(folder, members, count, holdsNew) ? Recovery::kUndone : Recovery::kStuck;
}

bool RecoverInterruptedWrite(const char* folder) {
  Recovery done = RecoverFileSet(folder);
  const char* said = nullptr;
  switch (done) {
    case Recovery::kNothing:
      return true;
    case Recovery::kCompleted:
      said = "前回中断された書き込みを最後まで行いました.";
      break;
    case Recovery::kUndone:
      said = "前回中断された書き込みを取り消しました. ファイルは書き込み前のままです.";
      break;
    case Recovery::kCleared:
      said = "前回中断された書き込みの一時ファイルを削除しました.";
      break;
    case Recovery::kPutBack:
      said = "前回中断された書き込みで脇に置かれたままだった元のファイルを戻しました.";
      break;
    case Recovery::kStuck:
      said =
          "前回中断された書き込みを完了することも取り消すこともできません.\n"
          "フォルダのファイルを使っているプログラムを終了してから, もう一度実行してください.";
      break;
  }
  char shown[kMessagePathCapacity];
  char text[kMessageCapacity + kMessagePathCapacity];
  std::snprintf(text, sizeof text, "%s\n%s", said, PathForMessage(folder, shown, sizeof shown));
  if (done == Recovery::kStuck) {
    ShowReadError(text);
    return false;
  }
  platform::ShowMessage(text, "情報", platform::kInformationBox);
  return true;
}
