// The command text parser and the command decoder on any bytes.
//
// Input: byte 0 the decoder's buffer size, byte 1 the title entry
// (any value, also out of range), bytes 2-9 a command, the rest (up to 200
// bytes) the text typed into a title row. Every buffer is allocated at its
// exact size, so writing one byte past it is reported.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "actions/title_action.h"
#include "disc/command_decoder.h"
#include "disc/disc_state.h"
#include "tests/fuzz/fuzz_driver.h"

namespace {
constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kMaxText = 200;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < kHeaderSize) return 0;
  std::size_t capacity = data[0];
  int entry = int(int8_t(data[1]));
  const uint8_t* command = data + 2;

  // A description cut to a small buffer is the start of the full one.
  std::unique_ptr<char[]> small(new char[capacity ? capacity : 1]);
  DescribeCommand(command, small.get(), capacity);
  char full[256];
  DescribeCommand(command, full, sizeof full);
  fuzz::Require(std::strlen(full) + 1 < sizeof full, "a description fits 256 bytes");
  fuzz::Require(capacity == 0 || (std::strlen(small.get()) < capacity &&
                                  std::strncmp(small.get(), full, std::strlen(small.get())) == 0),
                "a cut description starts the full one");
  RegistersNamed(command);

  // The text form reads back as the same command.
  std::unique_ptr<char[]> formatted(new char[24]);
  FormatCommandText(command, formatted.get());
  Disc.ActionCommand[0][0] = uint8_t(~command[0]);
  ParseCommandText(0, formatted.get());
  fuzz::Require(std::memcmp(Disc.ActionCommand[0], command, 8) == 0, "a command's text reads back as it");

  // Typed text of any length and content, into any entry.
  std::size_t length = std::min(size - kHeaderSize, kMaxText);
  std::unique_ptr<char[]> text(new char[length + 1]);
  std::memcpy(text.get(), data + kHeaderSize, length);
  text[length] = '\0';
  ParseCommandText(entry, text.get());

  uint8_t call[8];
  MenuCommand(entry * 3 - 50, call);
  return 0;
}
