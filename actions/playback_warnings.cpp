#include "actions/playback_warnings.h"

#include <cstring>

#include "actions/title_action.h"
#include "disc/command_decoder.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "disc/title_info.h"

namespace {

std::string TitleName(int t) { return "title " + std::to_string(t + 1); }

void RegisterWarning(std::vector<std::string>& out) {
  int r = Disc.MenuRegister, q = (r + 1) % 16;
  uint16_t clash = RegistersUsedByDisc() & uint16_t((1u << r) | (1u << q));
  if (!clash) return;
  std::string named;
  for (int g : {r, q})
    if (clash & (1u << g)) named += (named.empty() ? "GPRM " : " and GPRM ") + std::to_string(g);
  out.push_back("the disc's own commands use " + named +
                ", which the dispatcher will overwrite; its menus may then go astray (choose another "
                "register pair)");
}

std::string Consequence(const NavPreview* after, int t) {
  if (!after) return "";
  if (after->after[t].kind == NextKind::Fault) return "; players abort there";
  const NavNext& next = after->after[t];
  if (next.kind == NextKind::Stop) return "; playback stops there instead";
  return "; playback goes on to " + NextWords(next) + " instead";
}

// A menu the title's new end command calls that the disc, as read, lacks;
// the preview says what players do instead (on a disc without menus the
// dispatcher stands in for the title menu). True when warned.
bool MissingMenuWarning(int t, const NavPreview* after, std::vector<std::string>& out) {
  uint8_t command[8];
  if (Disc.ActionKind[t] == MenuPgc)
    MenuCommand(Disc.ActionMenu[t], command);
  else if (Disc.ActionKind[t] == Command)
    std::memcpy(command, Disc.ActionCommand[t], 8);
  else
    return false;
  NavCommand c;
  if (!DecodeNavCommand(command, &c)) return false;
  int language = after ? after->language : 0;
  TitleChain chain;
  FindTitleChain(StoredVmgRef(), t, &chain);
  uint32_t menu = 0;
  bool found = true;
  if (c.then == NavOp::CallSS_VMGM_Menu || c.then == NavOp::JumpSS_VMGM_Menu) {
    menu = c.args[0];
    found = FindMenuPgc(StoredVmgRef(), kVmgMenuPgciUtSector, language, int(menu)) > 0;
  } else if (c.then == NavOp::CallSS_VTSM) {
    menu = c.args[0];
    found = FindMenuPgc(VtsImageRef(chain.titleSet), kVtsMenuPgciUtSector, language, int(menu)) > 0;
  }
  if (found) return false;
  const char* name = MenuName(menu);
  std::string what = name ? name : "menu " + std::to_string(menu);
  out.push_back(TitleName(t) + " calls the " + what + ", which the disc does not have" +
                Consequence(after, t));
  return true;
}

// The title's end chain as read goes on to a chain no title starts with (the
// rest of this title), which a new end cuts off.
void CutOffWarning(int t, std::vector<std::string>& out) {
  TitleChain chain;
  if (!FindTitleChain(StoredVmgRef(), t, &chain)) return;
  ImageRef vts = VtsImageRef(chain.titleSet);
  int64_t post = FindEndSlot(vts, chain.pgc, t + 1).slot;
  NavCommand c;
  if (post < 0 || !DecodeNavCommand(vts.data + post, &c) || c.then != NavOp::LinkPGCN ||
      int(c.args[0]) == chain.pgcNumber)
    return;
  for (int other = 0; other < Disc.TitleCount; ++other) {  // the start of a title: the disc's own jump
    TitleSummary row = TitleSummaryOf(other);
    if (row.titleSet == chain.titleSet && ChapterPgcNumber(vts, row.titleInSet, 1) == int(c.args[0])) return;
  }
  out.push_back(TitleName(t) + " goes on to program chain " + std::to_string(c.args[0]) +
                " of its title after its last chapter; its new end cuts that off");
}

void PreviewWarnings(const NavPreview& after, const std::vector<bool>& menuWarned,
                     std::vector<std::string>& out) {
  if (after.start.kind == NextKind::Fault)
    out.push_back("from the start, playback ends in a fault: " + std::string(after.start.reason));
  for (int t = 0; t < after.titleCount; ++t) {
    const NavNext& next = after.after[t];
    if (next.kind != NextKind::Fault || (next.fault == FaultKind::MissingMenu && menuWarned[t])) continue;
    if (next.fault == FaultKind::JumpTT)
      out.push_back(TitleName(t) +
                    " ends with JumpTT outside the video manager, where players stop or abort (" +
                    next.reason + ")");
    else
      out.push_back("after " + TitleName(t) + ", playback ends in a fault players abort on: " + next.reason);
  }
}

}  // namespace

std::vector<std::string> PlaybackWarnings(const NavPreview* after) {
  std::vector<std::string> out;
  std::vector<bool> menuWarned(Disc.TitleCount > 0 ? Disc.TitleCount : 0);
  RegisterWarning(out);
  static TitleEnds ends;
  FindTitleEnds(StoredVmgRef(), &ends);
  for (int t = 0; t < ends.count; ++t) {
    char why[256];
    FixedEndWords(t, ends.title[t], why, sizeof why);
    if (*why) {
      out.push_back(std::string(why) + ": its end stays as authored");
    } else if (Disc.ActionKind[t] != Unchanged) {
      CutOffWarning(t, out);
      menuWarned[t] = MissingMenuWarning(t, after, out);
    }
  }
  if (after) PreviewWarnings(*after, menuWarned, out);
  return out;
}
