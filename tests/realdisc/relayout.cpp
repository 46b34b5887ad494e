#include "tests/realdisc/relayout.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "disc/ifo_tables.h"

IfoFile::IfoFile(const std::string& folder, const std::string& name) : folder_(folder), name_(name) {
  std::ifstream in(folder + "/" + name + ".IFO", std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  if (bytes.empty()) throw std::runtime_error("cannot read " + name);
}

void IfoFile::Save() const {
  for (const char* extension : {".IFO", ".BUP"})
    testdisc::WriteBytes(folder_ + "/" + name_ + extension, bytes);
}

int IfoFile::Be16(std::size_t at) const { return bytes.at(at) << 8 | bytes.at(at + 1); }

uint32_t IfoFile::Be32(std::size_t at) const { return uint32_t(Be16(at)) << 16 | uint32_t(Be16(at + 2)); }

void IfoFile::Put16(std::size_t at, int value) {
  bytes.at(at) = uint8_t(value >> 8);
  bytes.at(at + 1) = uint8_t(value);
}

void IfoFile::Put32(std::size_t at, uint32_t value) {
  Put16(at, int(value >> 16));
  Put16(at + 2, int(value & 0xFFFF));
}

std::size_t IfoFile::Table(int field) const {
  return std::size_t(uint32_t(Be16(std::size_t(field)) << 16 | Be16(std::size_t(field) + 2))) * 2048;
}

namespace {

std::size_t Pointed(const IfoFile& f, std::size_t table, int k) {
  std::size_t at = table + 8 * std::size_t(k) + 4;
  return table + std::size_t(uint32_t(f.Be16(at) << 16 | f.Be16(at + 2)));
}

}  // namespace

std::size_t IfoFile::TitlePgc(int k) const { return Pointed(*this, Table(kVtsPgcitSector), k); }
std::size_t IfoFile::MenuUnit(int u) const { return Pointed(*this, Table(kVmgMenuPgciUtSector), u); }
std::size_t IfoFile::MenuPgc(int u, int k) const { return Pointed(*this, MenuUnit(u), k); }
std::size_t IfoFile::FirstPlay() const { return std::size_t(Be16(kVmgFirstPlayPgc + 2)); }

std::size_t IfoFile::MakeRoom(std::size_t table, std::size_t unit, std::size_t size) {
  std::size_t end = table + std::size_t(uint32_t(Be16(table + 4) << 16 | Be16(table + 6)));
  std::size_t at = (end + 2) & ~std::size_t(1);
  if ((at + size - 1) / 2048 != end / 2048) throw std::runtime_error("no room behind the table");
  Put32(table + 4, uint32_t(at + size - 1 - table));
  if (unit) Put32(unit + 4, uint32_t(at + size - 1 - unit));
  return at;
}

void IfoFile::GiveCommands(std::size_t pgc, std::size_t at, const std::vector<testdisc::Cmd>& pre,
                           const std::vector<testdisc::Cmd>& post, const std::vector<testdisc::Cmd>& cell) {
  std::size_t size = 8 + 8 * (pre.size() + post.size() + cell.size());
  Put16(at, int(pre.size()));
  Put16(at + 2, int(post.size()));
  Put16(at + 4, int(cell.size()));
  Put16(at + 6, int(size - 1));
  std::size_t c = at + 8;
  for (const auto* list : {&pre, &post, &cell})
    for (const testdisc::Cmd& command : *list) {
      std::copy(command.begin(), command.end(), bytes.begin() + long(c));
      c += 8;
    }
  Put16(pgc + kPgcCommandTableOffset, int(at - pgc));
  if (!cell.empty()) {  // the last cell's command number
    std::size_t cells = std::size_t(Be16(pgc + kPgcCellPlaybackOffset));
    bytes.at(pgc + cells + 24 * (bytes.at(pgc + kPgcCellCount) - 1u) + 3) = 1;
  }
}

namespace {

std::size_t PostAt(const IfoFile& f, std::size_t pgc) {
  std::size_t table = pgc + std::size_t(f.Be16(pgc + kPgcCommandTableOffset));
  return table + 8 + 8 * std::size_t(f.Be16(table));
}

}  // namespace

testdisc::Cmd IfoFile::Post(std::size_t pgc) const {
  testdisc::Cmd c;
  std::copy_n(bytes.begin() + long(PostAt(*this, pgc)), 8, c.begin());
  return c;
}

void IfoFile::SetPost(std::size_t pgc, testdisc::Cmd command) {
  std::copy(command.begin(), command.end(), bytes.begin() + long(PostAt(*this, pgc)));
}

void SetChapters(const std::string& folder, const std::vector<std::vector<int>>& titles) {
  IfoFile vts(folder, "VTS_01_0"), vmg(folder, "VIDEO_TS");
  const std::size_t table = vts.Table(kVtsPttSrptSector);
  std::size_t at = 8 + 4 * titles.size();
  vts.Put16(table, int(titles.size()));
  for (std::size_t k = 0; k < titles.size(); ++k) {
    vts.Put32(table + 8 + 4 * k, uint32_t(at));
    for (int pgc : titles[k]) {
      vts.Put16(table + at, pgc);
      vts.Put16(table + at + 2, 1);
      at += 4;
    }
    vmg.Put16(vmg.Table(kVmgTtSrptSector) + 8 + 12 * k + 2, int(titles[k].size()));
  }
  if ((table + at - 1) / 2048 != table / 2048) throw std::runtime_error("no room for the chapters");
  vts.Put32(table + 4, uint32_t(at - 1));
  vts.Save();
  vmg.Save();
}
