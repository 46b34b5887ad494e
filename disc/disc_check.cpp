#include "disc/disc_check.h"

#include <cstdio>
#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/folder_files.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "disc/menu_units.h"
#include "disc/read_error.h"
#include "disc/title_chain.h"

namespace {

constexpr int64_t kDispatcherBaseSize = 244;  // header and command table header of the added chain
constexpr int64_t kSectorSlack = 2 * kSectorSize;

// Where the check that runs reports its fault; null: shown at once.
ReadFault* Reported = nullptr;

void ShowFault(int n, const char* fault, int a = 0, int b = 0) {
  ReadFault shown;
  InfoFileFault(Reported ? Reported : &shown, n, fault, a, b);
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
// can follow it, and the whole must still fit once the units have gained
// what the copy adds (nothing where an earlier run already added it).
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
  MenuTable table;
  ReadMenuTable(vmg, at, &table);
  // Each unit's end is looked for among all units, so their number is
  // bounded before the units are walked, by the room each needs for a
  // dispatcher alone.
  int64_t dispatcher = kDispatcherBaseSize + 16 * int64_t(Disc.TitleCount);
  if (table.size + table.units * (8 + dispatcher) > kMenuTableCapacity) {
    ShowFault(0, "メニュー情報が大きすぎます");
    return false;
  }
  MenuUnitCheck check = CheckMenuUnits(vmg, at);
  if (check.fault != MenuUnitFault::None) {
    ShowFault(0, faults[int(check.fault)], check.unit + 1, check.pgc);
    return false;
  }
  int64_t growth = MenuTableGrowth(vmg, at);
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

void InfoFileFault(ReadFault* to, int n, const char* fault, int a, int b) {
  char name[kPathCapacity];
  InfoFileName(name, n);
  char path[kMessagePathCapacity];
  char detail[256];
  std::snprintf(detail, sizeof detail, fault, a, b);
  to->file = n;
  std::snprintf(to->text, sizeof to->text, "%sが異常です（%s）.", PathForMessage(name, path, sizeof path),
                detail);
}

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

// The VOB sets of information file n: the files holding each and the tables
// that address sectors in it.
struct VobSet {
  int cellField, vobuField;
  bool titles;  // VTS_nn_1.VOB on, else the menu VOB
};

int64_t SectorsHeld(int n, const VobSet& set) {
  return set.titles ? Disc.TitleVobSectors[n] : int64_t(uint32_t(Disc.MenuVobSize[n])) / kSectorSize;
}

// Files that hold fewer sectors than the disc's own tables address: a part
// missing, a VOB cut short, the IFOs copied without their VOBs.
void MissingSectorsFault(ReadFault* fault, int n, const VobSet& set, int64_t addressed, int64_t held) {
  char vob[kPathCapacity];
  char info[kPathCapacity];
  VobFileName(vob, n, set.titles ? 1 : 0);
  InfoFileName(info, n);
  const char* infoName = std::strrchr(info, '\\') ? std::strrchr(info, '\\') + 1 : info;
  char path[kMessagePathCapacity];
  fault->file = -1;
  std::snprintf(fault->text, sizeof fault->text,
                "%s%sが足りません（%sは%lldセクタ目まで参照していますが, ファイルは%lldセクタです）. "
                "フォルダのファイルが欠けていないか確認してください.",
                PathForMessage(vob, path, sizeof path), set.titles ? "〜" : "", infoName,
                (long long)addressed, (long long)held);
}

}  // namespace

bool CheckVobsHoldAddressedSectors(ReadFault* fault) {
  Reported = fault;
  for (int n = 0; n <= Disc.TitleSetCount; ++n) {
    ImageRef image = n == 0 ? StoredVmgRef() : VtsImageRef(n);
    const VobSet sets[] = {
        n == 0 ? VobSet{kVmgMenuCellAddresses, kVmgMenuVobuAddresses, false}
               : VobSet{kVtsMenuCellAddresses, kVtsMenuVobuAddresses, false},
        {kVtsCellAddresses, kVtsVobuAddresses, true},
    };
    for (int i = 0; i < (n == 0 ? 1 : 2); ++i) {
      const VobSet& set = sets[i];
      AddressReach cells = CellAddressReach(image, set.cellField);
      AddressReach vobus = VobuAddressReach(image, set.vobuField);
      if (!cells.inside || !vobus.inside) {
        ShowFault(n, "VOBのアドレス情報が範囲外にあります");
        return false;
      }
      int64_t addressed = cells.sectors > vobus.sectors ? cells.sectors : vobus.sectors;
      int64_t held = SectorsHeld(n, set);
      if (addressed > held) {
        MissingSectorsFault(fault, n, set, addressed, held);
        return false;
      }
    }
  }
  return true;
}

bool CheckReadDisc(ReadFault* fault) {
  return CheckDiscTables(fault) && CheckVobsHoldAddressedSectors(fault);
}
