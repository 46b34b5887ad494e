#include "disc/first_play.h"

#include <cstring>

#include "disc/byte_order.h"
#include "disc/written_commands.h"

namespace {

constexpr int kFirstPlayMatEnd = 0x4FB;
constexpr uint8_t kFirstPlayProhibited[4] = {0x01, 0xFF, 0xFF, 0xEF};  // all but "go up"
constexpr int kFirstPlayCommand = kFirstPlayArea + kPgcHeaderSize + 8;

}  // namespace

void WriteOptionFirstPlay(uint8_t* vmg, const uint8_t command[8]) {
  std::memset(vmg + kFirstPlayArea, 0, kFirstPlayAreaSize);
  WriteBe32(vmg + kVmgMatEnd, kFirstPlayMatEnd);
  WriteBe32(vmg + kVmgFirstPlayPgc, kFirstPlayArea);
  uint8_t* pgc = vmg + kFirstPlayArea;
  std::memcpy(pgc + 8, kFirstPlayProhibited, sizeof kFirstPlayProhibited);
  WriteBe16(pgc + kPgcCommandTableOffset, kPgcHeaderSize);
  WriteBe16(pgc + kPgcHeaderSize, 1);                         // one pre-command
  WriteBe16(pgc + kPgcHeaderSize + 6, 8 + kCommandSize - 1);  // end address
  std::memcpy(vmg + kFirstPlayCommand, command, kCommandSize);
}

FirstPlayKind ReadFirstPlayKind(ImageRef vmg) {
  constexpr int kSpan = kFirstPlayArea + kFirstPlayAreaSize;
  if (!SpanInside(vmg.size, 0, kSpan)) return DiscFirstPlay;
  const uint8_t* command = vmg.data + kFirstPlayCommand;
  uint8_t written[kSpan];
  std::memcpy(written, vmg.data, kSpan);
  WriteOptionFirstPlay(written, command);
  if (std::memcmp(written, vmg.data, kSpan) != 0) return DiscFirstPlay;
  if (std::memcmp(command, kJumpTitleOneCommand, kCommandSize) == 0) return NoMenuFirstPlay;
  uint8_t jump[kCommandSize];
  JumpDispatcherCommand(ReadBe16(command + 2), jump);
  return std::memcmp(command, jump, kCommandSize) == 0 ? RandomFirstPlay : DiscFirstPlay;
}

void CopyFirstPlay(ImageRef from, uint8_t* vmg) {
  if (!SpanInside(from.size, 0, kFirstPlayArea + kFirstPlayAreaSize)) return;
  std::memcpy(vmg + kVmgMatEnd, from.data + kVmgMatEnd, kFirstPlayFieldsSize);
  std::memcpy(vmg + kFirstPlayArea, from.data + kFirstPlayArea, kFirstPlayAreaSize);
}
