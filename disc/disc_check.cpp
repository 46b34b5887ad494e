#include "disc/disc_check.h"

#include <cstdio>
#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/folder_files.h"
#include "disc/ifo_tables.h"
#include "disc/menu_units.h"
#include "disc/read_error.h"
#include "disc/title_chain.h"

namespace {

constexpr int64_t kDispatcherBaseSize = 244;    // header and command table header of the added chain
constexpr int64_t kPaddingChainSize = 8 + 252;  // a search pointer and one command-only chain
constexpr int64_t kSectorSlack = 2 * kSectorSize;

// Where the check that runs reports its fault; null: shown at once.
ReadFault* Reported = nullptr;

// "<file>が異常です（<fault>）." for file n (0 = VIDEO_TS.IFO). `fault` may
// hold up to two %d conversions, filled from a and b.
void ShowFault(int n, const char* fault, int a = 0, int b = 0) {
  char name[kPathCapacity];
  InfoFileName(name, n);
  char path[kMessagePathCapacity];
  char detail[256];
  std::snprintf(detail, sizeof detail, fault, a, b);
  ReadFault shown;
  ReadFault* to = Reported ? Reported : &shown;
  to->file = n;
  std::snprintf(to->text, sizeof to->text, "%sが異常です（%s）.", PathForMessage(name, path, sizeof path),
                detail);
  if (!Reported) ShowReadError(shown.text);
}

bool CheckTitles(ImageRef vmg) {
  for (int t = 0; t < Disc.TitleCount; ++t) {
    TitleChain c;
    if (FindTitleChain(vmg, t, &c)) {
      CommandTable commands;
      if (ReadCommandTable(VtsImageRef(c.titleSet), c.pgc, &commands)) continue;
      ShowFault(c.titleSet, "タイトル%dのコマンドが範囲外にあります", t + 1);
      return false;
    }
    if (TitleEntryOffset(vmg, t) < 0) {
      ShowFault(0, "タイトル%dの情報が範囲外にあります", t + 1);
      return false;
    }
    // Titles outside the title sets, or without chapters in their set's
    // chapter table, have no program chain; nothing follows them.
    int v = c.titleSet;
    if (v < 1 || v > Disc.TitleSetCount || c.titleInSet < 1 || c.pgcNumber == 0) continue;
    if (c.pgcNumber < 0) {
      ShowFault(v, "タイトル%dのチャプター情報が範囲外を指しています", t + 1);
      return false;
    }
    ImageRef vts = VtsImageRef(v);
    int64_t table = TableOffset(vts, kVtsPgcitSector);
    if (table < 0) {
      ShowFault(v, "タイトル%dのPGC情報が範囲外を指しています", t + 1);
    } else if (c.pgcNumber > ReadBe16(vts.data + table)) {
      ShowFault(v, "タイトル%dのPGC%dがPGC情報にありません", t + 1, c.pgcNumber);
    } else {
      ShowFault(v, "タイトル%dのPGCが範囲外を指しています", t + 1);
    }
    return false;
  }
  return true;
}

// Execute writes each title's first post command in place, so those 8 bytes
// must be nothing that leads to a title's commands: not the search pointers
// of the title set's chain table, not a chain's header, not a command
// table's header. Where they are, writing one title's command moves the
// chain of another (or its own), and the title set is written pointing
// elsewhere. Titles sharing a chain share its slot, which is no overlap.
bool CheckPostCommandsApart(ImageRef vmg) {
  struct Chain {
    int set;
    int64_t pgc, commands, post;
  } chains[kMaxTitles];
  int count = Disc.TitleCount < kMaxTitles ? Disc.TitleCount : kMaxTitles;
  for (int t = 0; t < count; ++t) {
    Chain& c = chains[t];
    c = Chain{0, -1, -1, -1};
    TitleChain found;
    FindTitleChain(vmg, t, &found);
    c.set = found.titleSet;
    c.pgc = found.pgc;
    CommandTable table;
    if (c.pgc < 0 || !ReadCommandTable(VtsImageRef(c.set), c.pgc, &table) || !table.present) continue;
    c.commands = table.offset;
    c.post = FirstPostCommand(VtsImageRef(c.set), c.pgc);
  }
  auto overlap = [](int64_t a, int64_t aLength, int64_t b, int64_t bLength) {
    return b >= 0 && a < b + bLength && b < a + aLength;
  };
  for (int t = 0; t < count; ++t) {
    const Chain& a = chains[t];
    if (a.post < 0) continue;
    ImageRef vts = VtsImageRef(a.set);
    int64_t table = TableOffset(vts, kVtsPgcitSector);
    bool apart = !overlap(a.post, kCommandSize, table, 8 + 8 * int64_t(ReadBe16(vts.data + table)));
    for (int u = 0; u < count && apart; ++u) {
      const Chain& b = chains[u];
      if (b.set != a.set || b.pgc < 0) continue;
      apart = !overlap(a.post, kCommandSize, b.pgc, kPgcHeaderSize) &&
              !overlap(a.post, kCommandSize, b.commands, 8);
    }
    if (!apart) {
      ShowFault(a.set, "タイトル%dのポストコマンドがPGC情報と重なっています", t + 1);
      return false;
    }
  }
  return true;
}

// The menu table is copied unit by unit and its last chains are tested for
// an earlier dispatcher, so every unit and chain must be where the walker
// can follow it, and the whole must still fit once every unit has gained a
// dispatcher chain and padding chains.
bool CheckMenuTable(ImageRef vmg) {
  if (ReadBe32(vmg.data + kVmgMenuPgciUtSector) == 0) {
    // A new one-unit table goes in; only the file's room for it matters.
    if (Disc.IfoSize[0] + 276 + 16 * int64_t(Disc.TitleCount) + kSectorSlack > kVmgImageCapacity) {
      ShowFault(0, "メニュー情報を加えると2MBを超えます");
      return false;
    }
    return true;
  }
  int64_t at = TableOffset(vmg, kVmgMenuPgciUtSector);
  if (at < 0) {
    ShowFault(0, "メニュー情報が範囲外を指しています");
    return false;
  }
  const char* faults[] = {
      "",
      "メニュー情報が範囲外にあります",
      "メニューの言語ユニット%dが範囲外を指しています",
      "メニューの言語ユニット%dにPGCがありません",
      "メニューの言語ユニット%dのPGC情報が範囲外にあります",
      "メニューの言語ユニット%dのPGC%dが範囲外を指しています",
  };
  MenuUnitCheck check = CheckMenuUnits(vmg, at);
  if (check.fault != MenuUnitFault::None) {
    ShowFault(0, faults[int(check.fault)], check.unit + 1, check.pgc);
    return false;
  }
  MenuTable table;
  ReadMenuTable(vmg, at, &table);
  int maxPgcs = 0;
  for (int u = 0; u < table.units; ++u) {
    MenuUnit unit;
    ReadMenuUnit(vmg, table, u, &unit);
    if (unit.pgcs > maxPgcs) maxPgcs = unit.pgcs;
  }
  int64_t dispatcher = kDispatcherBaseSize + 16 * int64_t(Disc.TitleCount);
  int64_t growth = table.units * (8 + dispatcher) + int64_t(table.units) * maxPgcs * kPaddingChainSize;
  if (table.size + growth > kMenuTableCapacity) {
    ShowFault(0, "メニュー情報が大きすぎます");
    return false;
  }
  if (Disc.IfoSize[0] + growth + kSectorSlack > kVmgImageCapacity) {
    ShowFault(0, "メニュー情報を加えると2MBを超えます");
    return false;
  }
  return true;
}

}  // namespace

bool CheckDiscTables(ReadFault* fault) {
  Reported = fault;
  if (Disc.IfoSize[0] > kVmgImageCapacity) {
    ShowFault(0, "サイズが2MBを超えています");
    return false;
  }
  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  if (titles < 0) {
    ShowFault(0, "タイトル情報が範囲外を指しています");
    return false;
  }
  if (ReadBe16(vmg.data + titles) > kMaxTitles) {
    ShowFault(0, "タイトル数が99を超えています");
    return false;
  }
  return CheckTitles(vmg) && CheckPostCommandsApart(vmg) && CheckMenuTable(vmg);
}

namespace {

// One disagreement between a file of the folder and the field recording it.
// `more` follows the file's name ("〜" for the title VOBs from part 1 on).
void SectorFault(ReadFault* fault, const char* file, int n, int64_t recorded, int64_t found,
                 const char* more = "") {
  char name[kPathCapacity];
  char info[kPathCapacity];
  FolderFile(name, file, n);
  InfoFileName(info, n);
  const char* infoName = std::strrchr(info, '\\') ? std::strrchr(info, '\\') + 1 : info;
  char path[kMessagePathCapacity];
  fault->file = -1;
  std::snprintf(fault->text, sizeof fault->text,
                "%s%sの大きさが%sの記録と合いません（記録%lldセクタ, ファイル%lldセクタ）. "
                "フォルダのファイルが欠けていないか確認してください.",
                PathForMessage(name, path, sizeof path), more, infoName, (long long)recorded,
                (long long)found);
}

int64_t Field(int n, int offset) { return FieldValue(n == 0 ? StoredVmgRef() : VtsImageRef(n), offset); }

}  // namespace

bool CheckSectorFields(ReadFault* fault) {
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    bool vmg = n == 0;
    int64_t ifo = Disc.IfoSize[n] / kSectorSize;
    int64_t menu = int64_t(uint32_t(Disc.MenuVobSize[n])) / kSectorSize;
    int64_t titles = vmg ? 0 : Disc.TitleVobSectors[n];
    int64_t ifoLast = Field(n, vmg ? kVmgIfoLastSector : kVtsIfoLastSector);
    int64_t menuStart = Field(n, vmg ? kVmgMenuVobsSector : kVtsMenuVobsSector);
    int64_t last = Field(n, vmg ? kVmgLastSector : kVtsLastSector);
    // What the fields say each file holds.
    int64_t recordedMenu =
        menuStart == 0 ? 0 : (vmg ? last + 1 - 2 * (ifoLast + 1) : Field(n, kVtsTitleVobsSector) - menuStart);
    int64_t recordedTitles = vmg ? 0 : last + 1 - 2 * (ifoLast + 1) - recordedMenu;
    if (ifoLast + 1 != ifo) {
      SectorFault(fault, vmg ? "%sVIDEO_TS.IFO" : "%sVTS_%02d_0.IFO", n, ifoLast + 1, ifo);
    } else if (menuStart != 0 && menuStart != ifo) {
      SectorFault(fault, vmg ? "%sVIDEO_TS.IFO" : "%sVTS_%02d_0.IFO", n, menuStart, ifo);
    } else if (recordedMenu != menu) {
      SectorFault(fault, vmg ? "%sVIDEO_TS.VOB" : "%sVTS_%02d_0.VOB", n, recordedMenu, menu);
    } else if (recordedTitles != titles) {
      SectorFault(fault, "%sVTS_%02d_1.VOB", n, recordedTitles, titles, "〜");
    } else {
      continue;
    }
    return false;
  }
  return true;
}

bool CheckReadDisc(ReadFault* fault) { return CheckDiscTables(fault) && CheckSectorFields(fault); }
