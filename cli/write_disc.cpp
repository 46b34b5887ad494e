#include "cli/write_disc.h"

#include <string>

#include "author/execute.h"
#include "author/original_backup.h"
#include "cli/console.h"
#include "disc/disc_state.h"

namespace {

// The backup's folder as the user knows it, empty when there is none.
std::string BackupShown(const char* folder) {
  char backup[kPathCapacity];
  return FindOriginalBackup(folder, backup, sizeof backup) ? NativePath(backup) : "";
}

}  // namespace

int WriteDisc(const char* folder) {
  std::string backupBefore = BackupShown(folder);
  if (Execute(folder) != ExecuteSucceeded) return RefusedExit();
  std::string backup = BackupShown(folder);
  if (!backup.empty() && backup != backupBefore) {
    PrintUtf8(stderr, "reelwrite: the original IFO and BUP files are kept in " + backup +
                          "; it is not part of the disc and may be left out when burning\n");
  }
  return kExitOk;
}
