#include "actions/title_action.h"

#include <cstdio>
#include <cstring>

#include "disc/ifo_tables.h"
#include "disc/sjis_text.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "disc/written_commands.h"

namespace {

constexpr int kActionEntries = int(sizeof Disc.ActionKind / sizeof Disc.ActionKind[0]);
// The row's edit box is read with this limit.
constexpr int kCommandTextLimit = 126;

// CallSS to the menus of menu choices 0..6 (title, root, chapter, audio,
// sub-picture, angle, First Play): byte 5 of the call.
const uint8_t kMenuCallTargets[7] = {0x42, 0x83, 0x87, 0x85, 0x84, 0x86, 0x00};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One pair of characters read as scanf's "%X" reads it: white space skipped,
// an optional sign, then hexadecimal digits up to the first other character;
// the low eight bits of the value. A pair that gives no number at all is 0,
// so a malformed pair never depends on what was parsed before it.
uint8_t ScanHexPair(const char* pair) {
  int i = 0;
  while (i < 2 && IsScanSpace(pair[i])) ++i;
  bool negative = false;
  if (i < 2 && (pair[i] == '+' || pair[i] == '-')) negative = pair[i++] == '-';
  unsigned value = 0;
  bool digits = false;
  for (; i < 2 && HexDigit(pair[i]) >= 0; ++i) {
    value = value * 16 + unsigned(HexDigit(pair[i]));
    digits = true;
  }
  if (!digits) return 0;
  return uint8_t(negative ? 0u - value : value);
}

bool Matches(const uint8_t* p, const uint8_t* command) { return std::memcmp(p, command, 8) == 0; }

void MakeUnchanged(int n) {
  Disc.ActionKind[n] = Unchanged;
  std::memset(Disc.ActionCommand[n], 0xFF, 8);
  Disc.ActionMenu[n] = 0;
}

// The kind and menu choice of a title whose first post command is p;
// `titleInSet` is the title's number within its title set.
void DeriveFromPostCommand(int n, const uint8_t* p, int titleInSet, int dispatcher) {
  Disc.ActionKind[n] = Command;
  Disc.ActionMenu[n] = 0;
  std::memcpy(Disc.ActionCommand[n], p, 8);

  uint8_t callDispatcher[8], repeat[8];
  CallDispatcherCommand(dispatcher, callDispatcher);
  RepeatCommand(titleInSet, repeat);
  if (Matches(p, kExitCommand)) {
    Disc.ActionKind[n] = Stop;
    return;
  }
  // Before the menu choices: when the dispatcher's number is a video manager
  // program chain the menu list offers, calling it means a title jump.
  if (dispatcher >= 0 && dispatcher <= 0xFFFF && Matches(p, callDispatcher)) {
    Disc.ActionKind[n] = JumpTitle;
    return;
  }
  // Exactly the commands execute writes for the menu choices.
  for (int code = 0; code < kMenuChoiceCount; ++code) {
    uint8_t call[8];
    MenuCommand(code, call);
    if (Matches(p, call)) {
      Disc.ActionKind[n] = MenuPgc;
      Disc.ActionMenu[n] = code;
      return;
    }
  }
  if (titleInSet <= 0xFF && Matches(p, repeat)) Disc.ActionKind[n] = Repeat;
}

}  // namespace

void FormatCommandText(const uint8_t command[8], char* out) {
  std::snprintf(out, 24, "%02X %02X %02X %02X %02X %02X %02X %02X", command[0], command[1], command[2],
                command[3], command[4], command[5], command[6], command[7]);
}

void ParseCommandText(int n, const char* text) {
  if (n < 0 || n >= kActionEntries) return;
  char digits[kCommandTextLimit + 1];
  int length = 0;
  while (length < kCommandTextLimit && text[length]) {
    digits[length] = text[length];
    ++length;
  }
  digits[length] = '\0';
  RemoveSpaces(digits);

  uint8_t* command = Disc.ActionCommand[n];
  if (std::strlen(digits) != 16) {
    std::memset(command, 0, 8);
    return;
  }
  for (int i = 0; i < 8; ++i) command[i] = ScanHexPair(digits + 2 * i);
}

void ResetActions() {
  Disc.PresetIndex = 0;
  Disc.NoMenu = 0;
  Disc.RandomPlay = 0;
  for (int n = 0; n < kMaxTitles; ++n) {
    Disc.ActionKind[n] = JumpTitle;
    Disc.ActionTarget[n] = 0;
    std::memcpy(Disc.ActionCommand[n], kJumpTitleOneCommand, 8);
    Disc.ActionMenu[n] = 0;
  }
}

void MenuCommand(int menuCode, uint8_t out[8]) {
  bool typed = menuCode >= 0 && menuCode <= 6;
  // Otherwise video manager menu program chain code - 6.
  CallDispatcherCommand(typed ? 0 : uint8_t(menuCode - 6), out);
  if (typed) out[5] = kMenuCallTargets[menuCode];
}

// The title table is read from VIDEO_TS.IFO as it was read into IfoStore:
// this runs while the menu table is being prepared, and IfoStore is the image
// that reading checked. (VmgImage holds the same bytes until execute.) A
// title whose end cannot be changed shows as unchanged.
void DeriveActionsFromDisc(int dispatcherCalled) {
  ImageRef vmg = StoredVmgRef();
  static TitleEnds ends;
  FindTitleEnds(vmg, &ends);
  for (int n = 0; n < ends.count; ++n) {
    const TitleEnd& end = ends.title[n];
    // A chain without a post command ends as authored until it gets one.
    if (end.fixed != EndFixed::No || end.slot < 0) {
      MakeUnchanged(n);
      continue;
    }
    TitleChain chain;
    FindTitleChain(vmg, n, &chain);
    DeriveFromPostCommand(n, VtsImageRef(end.titleSet).data + end.slot, chain.titleInSet, dispatcherCalled);
  }
}
