#include "disc/disc_check.h"

#include <cstdio>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/read_error.h"
#include "disc/title_chain.h"

namespace {

// A file of the edit folder. The folder check keeps every such name under
// kPathCapacity; should one not fit, the empty name opens and finds nothing.
template <typename... Numbers>
void FolderFile(char (&name)[kPathCapacity], const char* format, Numbers... numbers) {
  if (std::snprintf(name, sizeof name, format, Disc.EditFolder, numbers...) >= int(sizeof name))
    name[0] = '\0';
}

constexpr int64_t kDispatcherBaseSize = 244;    // header and command table header of the added chain
constexpr int64_t kPaddingChainSize = 8 + 252;  // a search pointer and one command-only chain
constexpr int64_t kSectorSlack = 2 * kSectorSize;

// Shows "<file>が異常です（<fault>）." for file n (0 = VIDEO_TS.IFO).
// `fault` may hold up to two %d conversions, filled from a and b.
void ShowFault(int n, const char* fault, int a = 0, int b = 0) {
  char name[kPathCapacity];
  if (n == 0) {
    FolderFile(name, "%sVIDEO_TS.IFO");
  } else {
    FolderFile(name, "%sVTS_%02d_0.IFO", n);
  }
  char path[kMessagePathCapacity];
  char detail[256];
  std::snprintf(detail, sizeof detail, fault, a, b);
  char text[kMessageCapacity];
  std::snprintf(text, sizeof text, "%sが異常です（%s）.", PathForMessage(name, path, sizeof path), detail);
  ShowReadError(text);
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

// The menu table is copied unit by unit, each unit taken to end where the
// next begins (the last where the table ends), and its last chain is tested
// for an earlier dispatcher chain. So every unit must lie inside the table in
// search pointer order, every chain start inside its unit, and the whole must
// still fit once every unit has gained a dispatcher chain and padding chains.
bool CheckMenuTable(ImageRef vmg) {
  if (ReadBe32(vmg.data + kVmgMenuPgciUtSector) == 0) {
    // A new one-unit table goes in; only the file's room for it matters.
    if (Disc.IfoSize[0] + 276 + 16 * int64_t(Disc.TitleCount) + kSectorSlack > kVmgImageCapacity) {
      ShowFault(0, "メニュー情報を加えると2MBを超えます");
      return false;
    }
    return true;
  }
  int64_t table = TableOffset(vmg, kVmgMenuPgciUtSector);
  if (table < 0) {
    ShowFault(0, "メニュー情報が範囲外を指しています");
    return false;
  }
  int units = ReadBe16(vmg.data + table);
  int64_t tableSize = int64_t(ReadBe32(vmg.data + table + 4)) + 1;
  if (tableSize < 8 + 8 * int64_t(units) || !SpanInside(vmg.size, table, tableSize)) {
    ShowFault(0, "メニュー情報が範囲外にあります");
    return false;
  }
  auto unitStart = [&](int u) -> int64_t { return ReadBe32(vmg.data + table + 8 + 8 * u + 4); };
  for (int u = 0; u < units; ++u) {
    if (unitStart(u) < 8 + 8 * int64_t(units) || unitStart(u) + 8 > tableSize) {
      ShowFault(0, "メニューの言語ユニット%dが範囲外を指しています", u + 1);
      return false;
    }
  }
  int maxPgcs = 0;
  for (int u = 0; u < units; ++u) {
    int64_t start = unitStart(u);
    int64_t end = u + 1 < units ? unitStart(u + 1) : tableSize;
    int64_t unit = table + start;
    if (start + 8 > end) {  // not in search pointer order
      ShowFault(0, "メニューの言語ユニット%dが範囲外を指しています", u + 1);
      return false;
    }
    int pgcs = ReadBe16(vmg.data + unit);
    if (pgcs == 0) {
      ShowFault(0, "メニューの言語ユニット%dにPGCがありません", u + 1);
      return false;
    }
    if (8 + 8 * int64_t(pgcs) > end - start) {
      ShowFault(0, "メニューの言語ユニット%dのPGC情報が範囲外にあります", u + 1);
      return false;
    }
    for (int k = 1; k <= pgcs; ++k) {
      int64_t pgc = PgcOffset(vmg, unit, k);
      bool inside = pgc >= 0 && pgc < table + end;
      // The first two commands of the last chain are read to recognise a dispatcher.
      if (inside && k == pgcs) inside = SpanInside(vmg.size, pgc + 0xF4, 16);
      if (!inside) {
        ShowFault(0, "メニューの言語ユニット%dのPGC%dが範囲外を指しています", u + 1, k);
        return false;
      }
    }
    if (pgcs > maxPgcs) maxPgcs = pgcs;
  }
  int64_t dispatcher = kDispatcherBaseSize + 16 * int64_t(Disc.TitleCount);
  int64_t growth = units * (8 + dispatcher) + int64_t(units) * maxPgcs * kPaddingChainSize;
  if (tableSize + growth > kMenuTableCapacity) {
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

bool CheckDiscTables() {
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
