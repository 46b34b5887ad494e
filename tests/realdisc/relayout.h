// Re-laying out a copy of an authored disc as other authoring programs and
// pressed discs lay their tables out, by editing its information files in
// place: chapters that are other titles' chains, chains sharing a command
// table, cell commands, menu chains in another order. Every edit keeps the
// disc valid for libdvdread; each file is written back with its BUP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/ifo_builder.h"

class IfoFile {
 public:
  // folder/NAME.IFO, NAME as "VIDEO_TS" or "VTS_01_0".
  IfoFile(const std::string& folder, const std::string& name);
  // Writes NAME.IFO and NAME.BUP.
  void Save() const;

  std::size_t Table(int field) const;  // a table's start, from its sector field
  std::size_t TitlePgc(int k) const;   // chain k of VTS_PGCIT
  std::size_t MenuUnit(int u) const;   // language unit u (1-based) of the menu table
  std::size_t MenuPgc(int u, int k) const;
  std::size_t FirstPlay() const;

  int Be16(std::size_t at) const;
  uint32_t Be32(std::size_t at) const;
  void Put16(std::size_t at, int value);
  void Put32(std::size_t at, uint32_t value);

  // Room for `size` bytes behind the end of the table at `table`, inside its
  // last sector: the table's end address grows, and that of its last
  // language unit at `unit` when given. Returns where the room starts.
  std::size_t MakeRoom(std::size_t table, std::size_t unit, std::size_t size);
  // Gives the chain at `pgc` a command table of its own at `at` with these
  // commands, its last cell running cell command 1 when `cell` is not empty.
  void GiveCommands(std::size_t pgc, std::size_t at, const std::vector<testdisc::Cmd>& pre,
                    const std::vector<testdisc::Cmd>& post, const std::vector<testdisc::Cmd>& cell = {});
  // Its first post command.
  testdisc::Cmd Post(std::size_t pgc) const;
  void SetPost(std::size_t pgc, testdisc::Cmd command);

  std::vector<uint8_t> bytes;

 private:
  std::string folder_, name_;
};

// Title set 1's chapter table: title k (1-based) plays chains titles[k - 1]
// as its chapters; the video manager's title table counts them.
void SetChapters(const std::string& folder, const std::vector<std::vector<int>>& titles);
