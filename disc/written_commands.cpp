#include "disc/written_commands.h"

#include <cstring>

#include "disc/byte_order.h"

void RepeatCommand(int titleInSet, uint8_t out[kCommandBytes]) {
  const uint8_t repeat[kCommandBytes] = {0x30, 0x05, 0x00, 0x01, 0x00, uint8_t(titleInSet), 0x00, 0x00};
  std::memcpy(out, repeat, kCommandBytes);
}

void CallDispatcherCommand(int pgc, uint8_t out[kCommandBytes]) {
  const uint8_t call[kCommandBytes] = {0x30, 0x08, 0x00, 0x00, 0x01, 0xC0, 0x00, 0x00};
  std::memcpy(out, call, kCommandBytes);
  WriteBe16(out + 2, pgc);
}

void JumpDispatcherCommand(int pgc, uint8_t out[kCommandBytes]) {
  const uint8_t jump[kCommandBytes] = {0x30, 0x06, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00};
  std::memcpy(out, jump, kCommandBytes);
  WriteBe16(out + 2, pgc);
}

namespace {

constexpr uint8_t kGuardHead[4] = {0x00, 0xB1, 0x00, 0x84};  // if (SPRM 4 != immediate) Goto
constexpr int kGotoLine = 7;
constexpr uint8_t kGoto = 0x01, kSetTmpPml = 0x03;

}  // namespace

void GuardCommand(int title, int line, uint8_t out[kCommandBytes]) {
  std::memcpy(out, kGuardHead, sizeof kGuardHead);
  WriteBe16(out + 4, title);
  out[6] = 0;
  out[kGotoLine] = uint8_t(line);
}

bool IsGuard(const uint8_t* command, int* title, int* line) {
  if (std::memcmp(command, kGuardHead, sizeof kGuardHead) != 0 || command[6] != 0) return false;
  *title = ReadBe16(command + 4);
  *line = command[kGotoLine];
  return true;
}

void MoveGotoLine(uint8_t command[kCommandBytes], int from, int by) {
  // Type 0, the special commands: the low four bits of byte 1 say which.
  int which = command[1] & 0x0F;
  if ((command[0] >> 5) == 0 && (which == kGoto || which == kSetTmpPml) && command[kGotoLine] >= from)
    command[kGotoLine] = uint8_t(command[kGotoLine] + by);
}
