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
