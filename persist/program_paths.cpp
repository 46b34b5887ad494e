#include "persist/program_paths.h"

#include <cstring>

#include "disc/sjis_text.h"

char ProgramFolder[kPathCapacity];
char HistoryPath[kPathCapacity];

namespace {

constexpr std::size_t kMaxProgramPath = kPathCapacity - 1;
constexpr char kHistoryExtension[] = ".DAT";
constexpr std::size_t kExtensionLength = sizeof kHistoryExtension - 1;

bool EndsInExe(const char* path, std::size_t length) {
  if (length <= kExtensionLength) return false;
  const char* tail = path + length - kExtensionLength;
  for (std::size_t i = 0; i < kExtensionLength; ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (c != ".EXE"[i]) return false;
  }
  return true;
}

}  // namespace

void SetProgramPaths(const char* programPath) {
  ProgramFolder[0] = '\0';
  HistoryPath[0] = '\0';
  std::size_t length = strnlen(programPath, kMaxProgramPath + 1);
  if (length > kMaxProgramPath) return;

  std::size_t folderLength = FolderPartLength(programPath);
  std::memcpy(ProgramFolder, programPath, folderLength);
  ProgramFolder[folderLength] = '\0';

  std::size_t stem = EndsInExe(programPath, length) ? length - kExtensionLength : length;
  if (stem + kExtensionLength > kMaxProgramPath) return;
  std::memcpy(HistoryPath, programPath, stem);
  std::memcpy(HistoryPath + stem, kHistoryExtension, kExtensionLength + 1);
}
