#include "cli/apply_options.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "actions/presets.h"
#include "actions/title_action.h"
#include "disc/disc_state.h"

const PresetName kPresetNames[8] = {
    {"playall-titlemenu", "play on; title menu at the end"},
    {"playall-rootmenu", "play on; root menu at the end"},
    {"playall-stop", "play on; stop at the end"},
    {"endless", "play on; back to title 1 after the last"},
    {"titlemenu", "back to the title menu after each title"},
    {"rootmenu", "back to the root menu after each title"},
    {"stop", "stop after each title"},
    {"repeat", "repeat each title"},
};

namespace {

// A whole decimal number in [low, high], nothing else.
bool ParseNumber(const std::string& text, int low, int high, int* out) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  int v = std::atoi(text.c_str());
  if (v < low || v > high) return false;
  *out = v;
  return true;
}

struct MenuName {
  const char* name;
  int code;
};
const MenuName kMenuNames[] = {{"title", 0},    {"root", 1},  {"chapter", 2},  {"audio", 3},
                               {"subtitle", 4}, {"angle", 5}, {"firstplay", 6}};

bool ParseMenu(const std::string& text, int* code) {
  for (const MenuName& m : kMenuNames) {
    if (text == m.name) {
      *code = m.code;
      return true;
    }
  }
  int pgc;
  if (text.rfind("vmgm:", 0) == 0 && ParseNumber(text.substr(5), 1, 128, &pgc)) {
    *code = pgc + 6;
    return true;
  }
  return ParseNumber(text, 0, 134, code);
}

// Exactly what a row's edit box accepts: sixteen hexadecimal digits once the
// blanks are gone. The engine would quietly turn anything else into zeros,
// which on the command line is far more likely a typing mistake.
bool IsCommandText(const std::string& text) {
  int digits = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    ++digits;
  }
  return digits == 16;
}

}  // namespace

bool ParsePreset(const std::string& text, int* preset) {
  for (int i = 0; i < 8; ++i) {
    if (text == kPresetNames[i].name) {
      *preset = i;
      return true;
    }
  }
  return ParseNumber(text, 0, 7, preset);
}

bool ParseTitleAction(const std::string& text, TitleOverride* out, std::string* error) {
  std::size_t eq = text.find('=');
  if (eq == std::string::npos || !ParseNumber(text.substr(0, eq), 1, 99, &out->title)) {
    *error = "--title needs N=ACTION with a title number from 1 to 99: " + text;
    return false;
  }
  std::string action = text.substr(eq + 1);
  std::size_t colon = action.find(':');
  std::string verb = action.substr(0, colon);
  std::string arg = colon == std::string::npos ? "" : action.substr(colon + 1);
  bool hasArg = colon != std::string::npos;
  out->target = 0;
  out->menu = 0;
  if (verb == "jump" && hasArg && ParseNumber(arg, 1, 99, &out->target)) {
    out->kind = JumpTitle;
    out->target -= 1;
  } else if (verb == "command" && hasArg && IsCommandText(arg)) {
    out->kind = Command;
    out->command = arg;
  } else if (verb == "menu" && hasArg && ParseMenu(arg, &out->menu)) {
    out->kind = MenuPgc;
  } else if (verb == "stop" && !hasArg) {
    out->kind = Stop;
  } else if (verb == "repeat" && !hasArg) {
    out->kind = Repeat;
  } else if (verb == "unchanged" && !hasArg) {
    out->kind = Unchanged;
  } else {
    *error = "unknown or malformed action \"" + action + "\" for title " + text.substr(0, eq) +
             " (see reelwrite --help)";
    return false;
  }
  return true;
}

bool ParseApplyOptions(const std::vector<std::string>& args, ApplyOptions* o, std::string* error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool hasValue = i + 1 < args.size();
    if (a == "--preset") {
      if (!hasValue || !ParsePreset(args[++i], &o->preset)) {
        *error = "--preset needs a number from 0 to 7 or a preset name";
        return false;
      }
    } else if (a == "--title") {
      TitleOverride t;
      if (!hasValue) {
        *error = "--title needs N=ACTION";
        return false;
      }
      if (!ParseTitleAction(args[++i], &t, error)) return false;
      o->titles.push_back(t);
    } else if (a == "--register") {
      if (!hasValue || !ParseNumber(args[++i], 0, 15, &o->menuRegister)) {
        *error = "--register needs a number from 0 to 15";
        return false;
      }
    } else if (a == "--no-menu") {
      o->noMenu = true;
    } else if (a == "--random") {
      o->random = true;
    } else if (a == "--yes") {
      o->yes = true;
    } else if (a == "--no-backup") {
      o->noBackup = true;
    } else if (a == "--dry-run") {
      o->dryRun = true;
    } else if (a == "--json") {
      o->json = true;
    } else if (!a.empty() && a[0] == '-') {
      *error = "unknown option " + a;
      return false;
    } else if (o->folder.empty()) {
      o->folder = a;
    } else {
      *error = "only one folder can be given";
      return false;
    }
  }
  if (o->folder.empty()) {
    *error = "apply needs a folder";
    return false;
  }
  return true;
}

bool ApplyChoices(const ApplyOptions& o, std::string* error) {
  for (const TitleOverride& t : o.titles) {
    if (t.title > Disc.TitleCount) {
      *error = "title " + std::to_string(t.title) + " does not exist: the disc has " +
               std::to_string(Disc.TitleCount) + " title(s)";
      return false;
    }
    // The window program offers only the disc's titles; a jump to any other
    // would leave players with a JumpTT they cannot follow.
    if (t.kind == JumpTitle && t.target >= Disc.TitleCount) {
      *error = "title " + std::to_string(t.title) + " cannot jump to title " + std::to_string(t.target + 1) +
               ": the disc has " + std::to_string(Disc.TitleCount) + " title(s)";
      return false;
    }
  }
  if (o.preset >= 0) {
    Disc.PresetIndex = o.preset;
    ApplyBatchPreset();
  }
  for (const TitleOverride& t : o.titles) {
    int n = t.title - 1;
    Disc.ActionKind[n] = t.kind;
    if (t.kind == JumpTitle) Disc.ActionTarget[n] = t.target;
    if (t.kind == MenuPgc) Disc.ActionMenu[n] = t.menu;
    if (t.kind == Command) ParseCommandText(n, t.command.c_str());
  }
  if (o.menuRegister >= 0) Disc.MenuRegister = o.menuRegister;
  Disc.NoMenu = o.noMenu ? 1 : 0;
  Disc.RandomPlay = o.random ? 1 : 0;
  return true;
}
