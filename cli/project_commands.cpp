#include "cli/project_commands.h"

#include "actions/get_info.h"
#include "author/execute.h"
#include "author/patch_preview.h"
#include "cli/apply_options.h"
#include "cli/console.h"
#include "cli/describe.h"
#include "cli/dry_run.h"
#include "cli/write_disc.h"
#include "disc/disc_state.h"
#include "persist/project_file.h"

namespace {

// project save FOLDER FILE [settings]: the folder read and set as apply
// would, then saved instead of written.
int Save(const std::vector<std::string>& args) {
  if (args.size() < 2 || args[0].empty() || args[0][0] == '-' || args[1].empty() || args[1][0] == '-')
    return Usage("project save needs a folder and a file");
  std::vector<std::string> settings = {args[0]};
  settings.insert(settings.end(), args.begin() + 2, args.end());
  ApplyOptions o;
  std::string error;
  if (!ParseApplyOptions(settings, &o, &error)) return Usage(error);
  if (o.dryRun || o.json) return Usage("project save takes apply's settings, not --dry-run or --json");
  char folder[kPathCapacity];
  char file[kPathCapacity];
  if (!ToEngineFolder(args[0], folder) || !ToEnginePath(args[1], file, "file")) return kExitRefused;
  InstallConsoleMessages(o.yes);
  if (GetInfo(folder, o.noMenu, o.random) != FolderRead) return kExitRefused;
  if (!ApplyChoices(o, &error)) return Usage(error);
  static NavPreview after;
  bool previewed;
  if (!PreviewChoices(o, &after, &previewed, &error)) return Usage(error);
  if (IsStandIn(folder)) {
    // Another run could not find the folder by the drive letter this one gave it.
    Disc.EditFolderText[0] = Disc.EditFolder[0] = '\0';
    PrintUtf8(stderr,
              "reelwrite: the project does not record the folder, whose path has no Windows form; "
              "give the folder to project apply\n");
  }
  return SaveProjectFile(file) ? kExitOk : kExitRefused;
}

int Info(const std::vector<std::string>& args) {
  std::string native;
  bool json = false;
  int status;
  if (!ParseFolderAndFlag(args, "project info", "--json", &native, &json, &status)) return status;
  char file[kPathCapacity];
  if (!ToEnginePath(native, file, "file")) return kExitRefused;
  InstallConsoleMessages(false);
  if (!LoadProjectFile(file)) return kExitRefused;
  std::string shown = NativePath(Disc.EditFolderText);
  // What applying the project would lead to, as apply --dry-run shows it.
  static NavPreview after;
  std::vector<std::string> warnings = PrintWarnings(PreviewPatched(&after) ? &after : nullptr);
  PrintUtf8(stdout, json ? DescribeJson(shown, warnings) : DescribeText(shown));
  return kExitOk;
}

// project apply FILE [FOLDER] [--yes] [--no-backup]: into FOLDER, or the folder saved.
int Apply(const std::vector<std::string>& args) {
  std::vector<std::string> paths;
  bool yes = false;
  bool noBackup = false;
  for (const std::string& a : args) {
    if (a == "--yes" || a == "--no-backup") {
      (a == "--yes" ? yes : noBackup) = true;
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unknown option " + a);
    } else {
      paths.push_back(a);
    }
  }
  if (paths.empty() || paths.size() > 2) return Usage("project apply needs a file and at most one folder");
  char file[kPathCapacity];
  char folder[kPathCapacity];
  if (!ToEnginePath(paths[0], file, "file")) return kExitRefused;
  if (paths.size() == 2 && !ToEngineFolder(paths[1], folder)) return kExitRefused;
  InstallConsoleMessages(yes, noBackup);
  if (!LoadProjectFile(file)) return kExitRefused;
  if (paths.size() == 1 && Disc.EditFolderText[0] == '\0')
    return Usage("the project records no folder: give one after the file");
  static NavPreview after;
  PrintWarnings(PreviewPatched(&after) ? &after : nullptr);
  return WriteDisc(paths.size() == 2 ? folder : Disc.EditFolderText);
}

}  // namespace

int Project(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("project needs save, info or apply");
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "save") return Save(rest);
  if (args[0] == "info") return Info(rest);
  if (args[0] == "apply") return Apply(rest);
  return Usage("unknown project command " + args[0]);
}
