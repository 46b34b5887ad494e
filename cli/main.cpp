// reelwrite: the command-line front end over the same engine as the window
// program. Subcommands: info, apply, restore.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "actions/presets.h"
#include "actions/title_action.h"
#include "author/execute.h"
#include "author/original_backup.h"
#include "author/patch_preview.h"
#include "cli/apply_options.h"
#include "cli/console.h"
#include "cli/describe.h"
#include "cli/dry_run.h"
#include "cli/project_commands.h"
#include "cli/trace.h"
#include "cli/write_disc.h"
#include "disc/command_decoder.h"
#include "disc/disc_state.h"
#include "platform/platform.h"

namespace {

const char kHelp[] =
    "Usage:\n"
    "  reelwrite info FOLDER [--json]\n"
    "  reelwrite apply FOLDER [--preset P] [--title N=ACTION]... [--register R]\n"
    "                         [--no-menu] [--random] [--yes] [--no-backup] [--dry-run]\n"
    "                         [--json]\n"
    "  reelwrite restore FOLDER [--yes]\n"
    "  reelwrite trace FOLDER [--language CODE] [--json]\n"
    "  reelwrite project save FOLDER FILE [apply's settings options]\n"
    "  reelwrite project info FILE [--json]\n"
    "  reelwrite project apply FILE [FOLDER] [--yes] [--no-backup]\n"
    "  reelwrite --help\n"
    "\n"
    "FOLDER is a DVD-Video folder (the one holding VIDEO_TS.IFO), or the disc's root\n"
    "folder that holds it as VIDEO_TS.\n"
    "\n"
    "info     Reads the disc and prints every title with its title set, number within\n"
    "         the set, angles, chapters and what happens when it ends. --json prints\n"
    "         {\"folder\", \"title_count\", \"title_set_count\", \"menu_register\",\n"
    "          \"menu_pgc_number\", \"first_play\", \"titles\": [{\"title\", \"title_set\",\n"
    "          \"title_in_set\", \"angles\", \"chapters\", \"action\", \"target\", \"command\",\n"
    "          \"menu\", \"command_text\", \"fixed_end\"}], \"registers_used\", \"warnings\"};\n"
    "         action is jump, command, menu, stop, repeat or unchanged; target is the\n"
    "         destination title (0 when none); command_text the end command in words;\n"
    "         fixed_end why the title's end cannot be changed (\"\" when it can); first_play\n"
    "         is disc, or random or no_menu when an earlier apply's option wrote it\n"
    "         (apply without that option puts the disc's own back from the backup).\n"
    "\n"
    "apply    Changes what each title does when it ends, in this order: reads the\n"
    "         disc, applies the preset, then each --title, the register pair and the\n"
    "         options, and writes VIDEO_TS.IFO/BUP and every VTS_nn_0.IFO/BUP.\n"
    "         Before its first question it warns, one line each, of what a player\n"
    "         would hit (see trace); a menu choice whose call players abort on is\n"
    "         refused. A title's end is its chain's first post command, or its last\n"
    "         cell's command where that leaves the chain. A chain without a post\n"
    "         command gets one, a cell command other cells share is not changed\n"
    "         for them: the cell gets its own; the command table grows, and its\n"
    "         VTS_nn_0.IFO/BUP by whole sectors where the table outgrows them\n"
    "         (--dry-run says so). Where another title plays on through the chain,\n"
    "         the end goes first behind a test of the title number. A title whose\n"
    "         end cannot be changed (info says why: a cell command another title\n"
    "         plays on by, or 128 commands and no room) keeps it under a preset,\n"
    "         with a warning, and --title is refused.\n"
    "  --preset P         0 playall-titlemenu  play on; title menu at the end\n"
    "                     1 playall-rootmenu   play on; root menu at the end\n"
    "                     2 playall-stop       play on; stop at the end\n"
    "                     3 endless            play on; back to title 1 after the last\n"
    "                     4 titlemenu          back to the title menu after each title\n"
    "                     5 rootmenu           back to the root menu after each title\n"
    "                     6 stop               stop after each title\n"
    "                     7 repeat             repeat each title\n"
    "  --title N=ACTION   title N (1-99) gets ACTION:\n"
    "                     jump:T        play title T (1-99) next\n"
    "                     command:HEX   this 8-byte navigation command (16 hex digits,\n"
    "                                   blanks allowed: command:\"30 01 00 00 00 00 00 00\")\n"
    "                     menu:M        call a menu: title, root, chapter, audio,\n"
    "                                   subtitle, angle, firstplay, vmgm:P (video manager\n"
    "                                   menu program chain P, 1-128) or a code 0-134\n"
    "                     stop | repeat | unchanged\n"
    "  --register R       the dispatcher keeps its state in GPRM R and R+1 (0-15;\n"
    "                     R=15 pairs with 0). A warning is printed when the disc's own\n"
    "                     commands use them. By default Reelwrite picks a free pair.\n"
    "  --no-menu          the disc starts with title 1; the title menu key runs the\n"
    "                     dispatcher\n"
    "  --random           the disc starts with a random title\n"
    "  --yes              answer yes to every question (needed when not on a terminal),\n"
    "                     except whether to go on when no backup can be made\n"
    "  --no-backup        go on when no backup can be made (refused otherwise)\n"
    "  --dry-run          patch in memory only: show, per title, the old and new end\n"
    "                     command, where playback goes (as trace shows it) before and\n"
    "                     after, and, per file, how many bytes would change\n"
    "  --json             print the disc as info --json does, after the change\n"
    "\n"
    "         Before the first change to a folder, its IFO and BUP files are copied as\n"
    "         they are into a sibling folder named ORIGINAL_IFO (ORIGINAL_IFO_<name>\n"
    "         when FOLDER is not named VIDEO_TS);\n"
    "         later changes leave that copy alone. It is not part of the disc: leave\n"
    "         it out when burning, or keep it, as it does not disturb the disc.\n"
    "         Files are written all or nothing: a failure leaves every file as it was;\n"
    "         a write cut off (a killed run, a power cut) is finished by the next command.\n"
    "\n"
    "restore  Puts the backed-up IFO and BUP files back into FOLDER (also from\n"
    "         the ORIGINAL_IFO_FOLDER or FOLDER_ORIGINAL_IFO older versions made).\n"
    "         A backup taken from another disc is refused.\n"
    "\n"
    "trace    Previews playback as the disc is: where a player goes from the start\n"
    "         and after each title (a title, a random title, a menu, a stop, a\n"
    "         title chain that repeats for ever, or a fault where players stop or\n"
    "         abort). Menus are those of the language CODE (two letters, e.g. fr;\n"
    "         default en, as players start, or the disc's first where it has none).\n"
    "         --json prints\n"
    "         {\"folder\", \"language\", \"start\": NEXT, \"after\": [{\"title\", \"next\": NEXT}]}\n"
    "         where NEXT is {\"kind\": \"title\", \"title\"}, {\"kind\": \"random\", \"titles\"},\n"
    "         {\"kind\": \"menu\", \"domain\": \"vmgm\", \"pgc\"}, {\"kind\": \"menu\",\n"
    "         \"domain\": \"vtsm\", \"title_set\", \"pgc\"}, {\"kind\": \"repeat\", \"title_set\",\n"
    "         \"pgc\"}, {\"kind\": \"stop\"} or\n"
    "         {\"kind\": \"fault\", \"reason\"}; pgc counts in its menu language unit.\n"
    "\n"
    "project  A project file (.prj) keeps the disc as read and every setting.\n"
    "         save reads FOLDER, applies --preset, --title, --register, --no-menu and\n"
    "         --random as apply does, and writes FILE. info describes FILE as info\n"
    "         describes a folder. apply writes the project's disc with its settings\n"
    "         into FOLDER, or into the folder it was read from.\n"
    "\n"
    "Messages of the engine are printed on standard error, one line each.\n"
    "Exit status: 0 done, 1 refused or failed (nothing written), 2 usage error.\n";

int Info(const std::vector<std::string>& args) {
  std::string native;
  bool json = false;
  int status;
  if (!ParseFolderAndFlag(args, "info", "--json", &native, &json, &status)) return status;
  char folder[kPathCapacity];
  if (!ToEngineFolder(native, folder)) return kExitRefused;
  InstallConsoleMessages(false);
  if (GetInfo(folder, 0, 0) != FolderRead) return kExitRefused;
  std::string shown = NativePath(folder);
  static NavPreview asRead;
  PreviewDisc(StoredVmgRef(), 0, &asRead);
  std::vector<std::string> warnings = PrintWarnings(&asRead);
  PrintUtf8(stdout, json ? DescribeJson(shown, warnings) : DescribeText(shown));
  return kExitOk;
}

int Apply(const std::vector<std::string>& args) {
  ApplyOptions o;
  std::string error;
  if (!ParseApplyOptions(args, &o, &error)) return Usage(error);
  char folder[kPathCapacity];
  if (!ToEngineFolder(o.folder, folder)) return kExitRefused;
  InstallConsoleMessages(o.yes, o.noBackup);
  if (GetInfo(folder, o.noMenu, o.random) != FolderRead) return kExitRefused;
  if (!ApplyChoices(o, &error)) return Usage(error);
  static NavPreview after;
  bool previewed;
  if (!PreviewChoices(o, &after, &previewed, &error)) return Usage(error);
  std::vector<std::string> warnings = PrintWarnings(previewed ? &after : nullptr);
  std::string shown = NativePath(folder);
  if (o.dryRun) {
    // What apply would refuse, a dry run refuses too.
    if (!CheckChosenEnds() || !PrintDryRun()) return kExitRefused;
    if (o.json) PrintUtf8(stdout, DescribeJson(shown, warnings));
    return kExitOk;
  }
  if (WriteDisc(folder) != kExitOk) return kExitRefused;
  if (o.json) {
    InstallConsoleMessages(true);
    if (GetInfo(folder, o.noMenu, o.random) != FolderRead) return kExitRefused;
    PrintUtf8(stdout, DescribeJson(shown, warnings));
  }
  return kExitOk;
}

int Trace(const std::vector<std::string>& args) {
  std::string native, language;
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--language" && i + 1 < args.size() && LanguageCode(args[i + 1]) > 0) {
      language = args[++i];
    } else if (args[i][0] == '-' || !native.empty()) {
      return Usage("unexpected argument " + args[i]);
    } else {
      native = args[i];
    }
  }
  if (native.empty()) return Usage("trace needs a folder");
  char folder[kPathCapacity];
  if (!ToEngineFolder(native, folder)) return kExitRefused;
  InstallConsoleMessages(false);
  if (GetInfo(folder, 0, 0) != FolderRead) return kExitRefused;
  int code = language.empty() ? 0 : LanguageCode(language);
  if (code && !HasMenuLanguage(code)) return Usage("the disc has no menus in " + language);
  static NavPreview preview;
  PreviewDisc(StoredVmgRef(), code, &preview);
  PrintUtf8(stdout, json ? TraceJson(NativePath(folder), preview) : TraceText(preview));
  return kExitOk;
}

int Restore(const std::vector<std::string>& args) {
  std::string native;
  bool yes = false;
  int status;
  if (!ParseFolderAndFlag(args, "restore", "--yes", &native, &yes, &status)) return status;
  char folder[kPathCapacity];
  if (!ToEngineFolder(native, folder)) return kExitRefused;
  InstallConsoleMessages(yes);
  if (!platform::Ask(platform::Question::kRestoreOriginals,
                     "元のIFOファイルとBUPファイルをバックアップから戻します.\n実行しますか？") ||
      !RestoreOriginalBackup(folder)) {
    return RefusedExit();
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = Utf8Arguments(argc, argv);
  if (args.size() < 2) return Usage("a command is needed");
  std::string command = args[1];
  std::vector<std::string> rest(args.begin() + 2, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUtf8(stdout, kHelp);
    return kExitOk;
  }
  for (const std::string& a : rest) {
    if (a == "--help" || a == "-h") {
      PrintUtf8(stdout, kHelp);
      return kExitOk;
    }
  }
  if (command == "info") return Info(rest);
  if (command == "apply") return Apply(rest);
  if (command == "restore") return Restore(rest);
  if (command == "trace") return Trace(rest);
  if (command == "project") return Project(rest);
  return Usage("unknown command " + command);
}
