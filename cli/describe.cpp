#include "cli/describe.h"

#include <cstdio>

#include "actions/title_action.h"
#include "author/patch_preview.h"
#include "disc/command_decoder.h"
#include "disc/disc_state.h"
#include "disc/first_play.h"
#include "disc/ifo_tables.h"
#include "disc/title_end.h"
#include "disc/title_info.h"

namespace {

std::string CommandText(int t) {
  char text[24];
  FormatCommandText(Disc.ActionCommand[t], text);
  return text;
}

// The end command in words; nothing for the FF bytes of a title whose
// chain has no post command.
std::string CommandWords(int t) {
  const uint8_t* c = Disc.ActionCommand[t];
  bool none = true;
  for (int i = 0; i < 8; ++i) none = none && c[i] == 0xFF;
  if (none) return "";
  char words[128];
  DescribeCommand(c, words, sizeof words);
  return words;
}

// The menu a menu choice calls, in words: "title menu", "VMGM PGC 5", ...
std::string MenuWords(int code) {
  uint8_t call[8];
  MenuCommand(code, call);
  NavCommand c;
  if (!DecodeNavCommand(call, &c)) return std::to_string(code);
  if (c.then == NavOp::CallSS_VMGM_PGC) return "VMGM PGC " + std::to_string(c.args[0]);
  if (c.then == NavOp::CallSS_FP) return "first play";
  const char* name = MenuName(c.args[0]);
  return name ? name : "menu " + std::to_string(c.args[0]);
}

struct EndWords {
  std::string fixed;    // why the end cannot be changed, "" where it can
  std::string written;  // how it is written where it can
};

std::vector<EndWords> TitleEndWords() {
  static TitleEnds ends;
  FindTitleEnds(StoredVmgRef(), &ends);
  std::vector<EndWords> out;
  for (int t = 0; t < ends.count; ++t) {
    char words[256];
    FixedEndWords(t, ends.title[t], words, sizeof words);
    char written[64];
    EndWritingWords(ends.title[t], written, sizeof written);
    out.push_back(EndWords{words, written});
  }
  return out;
}

int TargetNumber(int t) { return Disc.ActionTarget[t] < 0 ? 0 : Disc.ActionTarget[t] + 1; }

std::string RegisterList(uint16_t used, const char* separator) {
  std::string s;
  for (int r = 0; r < 16; ++r) {
    if (!(used & (1u << r))) continue;
    if (!s.empty()) s += separator;
    s += std::to_string(r);
  }
  return s;
}

}  // namespace

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

namespace {

// Whose First Play the disc starts with: its own, or one an earlier execute
// wrote for an option (which an execute without the option takes back).
const char* FirstPlayName(bool words) {
  switch (ReadFirstPlayKind(StoredVmgRef())) {
    case RandomFirstPlay:
      return words ? "random play" : "random";
    case NoMenuFirstPlay:
      return words ? "no menu" : "no_menu";
    default:
      return words ? "the disc's own" : "disc";
  }
}

}  // namespace

const char* ActionName(int kind) {
  switch (kind) {
    case JumpTitle:
      return "jump";
    case Command:
      return "command";
    case MenuPgc:
      return "menu";
    case Stop:
      return "stop";
    case Repeat:
      return "repeat";
    default:
      return "unchanged";
  }
}

std::string DescribeText(const std::string& folder) {
  char line[512];
  std::string out = "Folder:      " + folder + "\n";
  std::snprintf(
      line, sizeof line,
      "Titles:      %d in %d title set(s)\nRegisters:   dispatcher uses g%d and g%d; the disc's own "
      "commands use %s\nDispatcher:  video manager menu program chain %d\nFirst Play:  %s\n\n",
      Disc.TitleCount, Disc.TitleSetCount, Disc.MenuRegister, (Disc.MenuRegister + 1) % 16,
      RegistersUsedByDisc() ? ("g" + RegisterList(RegistersUsedByDisc(), ", g")).c_str() : "none",
      Disc.MenuPgcNumber, FirstPlayName(true));
  out += line;
  out += "Title  Set  No.  Angles  Chapters  End action   Target  Menu              Command\n";
  for (int t = 0; t < Disc.TitleCount; ++t) {
    TitleSummary row = TitleSummaryOf(t);
    int kind = Disc.ActionKind[t];
    std::string target = kind == JumpTitle ? std::to_string(TargetNumber(t)) : "";
    std::string menu = kind == MenuPgc ? MenuWords(Disc.ActionMenu[t]) : "";
    std::string words = CommandWords(t);
    std::string command = words.empty() ? "" : CommandText(t) + "  " + words;
    std::snprintf(line, sizeof line, "%5d  %3d  %3d  %6d  %8d  %-11s  %6s  %-16s  %s", row.title,
                  row.titleSet, row.titleInSet, row.angles, row.chapters, ActionName(kind), target.c_str(),
                  menu.c_str(), command.c_str());
    std::string shown = line;
    shown.erase(shown.find_last_not_of(' ') + 1);
    out += shown + "\n";
  }
  std::string fixed, written;
  std::vector<EndWords> ends = TitleEndWords();
  for (std::size_t t = 0; t < ends.size(); ++t) {
    if (!ends[t].fixed.empty()) fixed += "  " + ends[t].fixed + "\n";
    if (!ends[t].written.empty())
      written += "  title " + std::to_string(t + 1) + ": " + ends[t].written + "\n";
  }
  if (!written.empty()) out += "\nHow each end is written:\n" + written;
  if (!fixed.empty()) out += "\nEnds that cannot be changed:\n" + fixed;
  return out;
}

std::string DescribeJson(const std::string& folder, const std::vector<std::string>& warnings) {
  std::string out = "{\"folder\": " + JsonString(folder) +
                    ", \"title_count\": " + std::to_string(Disc.TitleCount) +
                    ", \"title_set_count\": " + std::to_string(Disc.TitleSetCount) +
                    ", \"menu_register\": " + std::to_string(Disc.MenuRegister) +
                    ", \"menu_pgc_number\": " + std::to_string(Disc.MenuPgcNumber) + ", \"first_play\": \"" +
                    FirstPlayName(false) + "\",\n \"titles\": [";
  std::vector<EndWords> ends = TitleEndWords();
  for (int t = 0; t < Disc.TitleCount; ++t) {
    TitleSummary row = TitleSummaryOf(t);
    if (t) out += ",\n  ";
    out +=
        "{\"title\": " + std::to_string(row.title) + ", \"title_set\": " + std::to_string(row.titleSet) +
        ", \"title_in_set\": " + std::to_string(row.titleInSet) +
        ", \"angles\": " + std::to_string(row.angles) + ", \"chapters\": " + std::to_string(row.chapters) +
        ", \"action\": \"" + ActionName(Disc.ActionKind[t]) +
        "\", \"target\": " + std::to_string(TargetNumber(t)) + ", \"command\": \"" + CommandText(t) +
        "\", \"menu\": " + std::to_string(Disc.ActionMenu[t]) +
        ", \"command_text\": " + JsonString(CommandWords(t)) +
        ", \"fixed_end\": " + JsonString(std::size_t(t) < ends.size() ? ends[std::size_t(t)].fixed : "") +
        ", \"end_written\": " + JsonString(std::size_t(t) < ends.size() ? ends[std::size_t(t)].written : "") +
        "}";
  }
  out += "],\n \"registers_used\": [" + RegisterList(RegistersUsedByDisc(), ", ") + "],\n \"warnings\": [";
  for (std::size_t i = 0; i < warnings.size(); ++i) out += (i ? ", " : "") + JsonString(warnings[i]);
  out += "],\n \"grows\": [";
  const std::vector<std::string>& grows = PatchGrowth();
  for (std::size_t i = 0; i < grows.size(); ++i) out += (i ? ", " : "") + JsonString(grows[i]);
  out += "]}\n";
  return out;
}
