#include "author/stored_images.h"

#include <cstdio>

#include "author/original_backup.h"
#include "author/written_parts.h"
#include "disc/disc_state.h"
#include "disc/folder_files.h"
#include "disc/read_error.h"
#include "platform/platform.h"

namespace {

// One information file at a time; a file longer than any stored image can
// equal none of them.
uint8_t FileBytes[kIfoStoreCapacity + 1];

bool SameAsFile(int n, const char* folder, bool bup) {
  char name[kPathCapacity];
  InfoFileName(name, n, bup, folder);
  std::FILE* f = platform::OpenFile(name, "rb");
  if (!f) return false;
  ImageRef file{FileBytes, int64_t(std::fread(FileBytes, 1, sizeof FileBytes, f))};
  std::fclose(f);
  return file.size < int64_t(sizeof FileBytes) && SameOutsideWrittenParts(n, file);
}

}  // namespace

bool StoredImagesFitFolder(const char* folder) {
  char backup[kPathCapacity];
  int backupFound = -1;  // not looked for yet
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    if (SameAsFile(n, folder, false) || SameAsFile(n, folder, true)) continue;
    if (backupFound < 0) backupFound = FindOriginalBackup(folder, backup, sizeof backup) ? 1 : 0;
    if (backupFound == 1 && SameAsFile(n, backup, false)) continue;
    char name[kPathCapacity];
    InfoFileName(name, n, false, folder);
    char shown[kMessagePathCapacity];
    char text[kMessageCapacity];
    std::snprintf(
        text, sizeof text,
        "%sの内容が, 情報取得したときの内容とReelwriteが書き込む箇所の外で異なるため, 書き込めません.\n"
        "情報取得をやり直してください.",
        PathForMessage(name, shown, sizeof shown));
    ShowReadError(text);
    return false;
  }
  return true;
}
