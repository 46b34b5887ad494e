#include "app/title_rows.h"

#include <cstdio>
#include <string>

#include "actions/presets.h"
#include "actions/title_action.h"
#include "author/execute.h"
#include "disc/disc_state.h"
#include "res/resource.h"

namespace {

// Control identifiers of rows 1 to 5, as the dialog template numbers them.
struct RowIds {
  int label;
  int kinds[kRowKinds];
  int target, command, menu;
};
constexpr RowIds kRowIds[kRowsPerPage] = {
    {1010, {116, 124, 117, 122, 159, 160}, 125, 126, 118},
    {1011, {127, 132, 128, 130, 161, 162}, 134, 133, 123},
    {1012, {135, 140, 136, 138, 163, 164}, 142, 141, 129},
    {1013, {143, 148, 144, 146, 165, 166}, 150, 149, 131},
    {1014, {151, 156, 152, 154, 167, 168}, 158, 157, 137},
};
constexpr EndActionKind kKindOfButton[kRowKinds] = {JumpTitle, Command, MenuPgc, Stop, Repeat, Unchanged};

const char* const kPresetNames[kPresetCount] = {
    "連続再生＋最後はﾀｲﾄﾙﾒﾆｭｰ", "連続再生＋最後はﾙｰﾄﾒﾆｭｰ", "連続再生＋最後は再生停止", "ｴﾝﾄﾞﾚｽ再生",
    "ﾀｲﾄﾙ毎にﾀｲﾄﾙﾒﾆｭｰに戻る",   "ﾀｲﾄﾙ毎にﾙｰﾄﾒﾆｭｰに戻る",   "ﾀｲﾄﾙ毎に再生停止",         "ﾀｲﾄﾙ毎にﾘﾋﾟｰﾄ再生",
};
const char* const kMenuNames[] = {"ﾀｲﾄﾙﾒﾆｭｰ", "ﾙｰﾄﾒﾆｭｰ",   "ﾁｬﾌﾟﾀｰﾒﾆｭｰ", "音声ﾒﾆｭｰ",
                                  "字幕ﾒﾆｭｰ", "ｱﾝｸﾞﾙﾒﾆｭｰ", "First Play"};
constexpr int kNamedMenus = sizeof kMenuNames / sizeof kMenuNames[0];
constexpr int kRegisterPairs = 16;

// A selection index, or no selection for values the list does not hold.
int Entry(int value, int count) { return value >= 0 && value < count ? value : -1; }

// The command box as the bytes ParseCommandText reads: a character code
// page 932 lacks becomes '?', which reads as no digit.
std::string CommandText(const winfw::TEdit& edit) {
  const std::wstring wide = edit.Text();
  std::string text;
  if (edit.ReadSjis(&text)) return text;
  const int length = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(932, 0, wide.c_str(), length, nullptr, 0, "?", nullptr);
  text.assign(needed > 0 ? needed : 0, '\0');
  if (needed > 0) WideCharToMultiByte(932, 0, wide.c_str(), length, &text[0], needed, "?", nullptr);
  return text;
}

}  // namespace

TitleRow::TitleRow(const winfw::Window* dialog, int row)
    : label(dialog, kRowIds[row].label),
      kinds{{dialog, kRowIds[row].kinds[0]}, {dialog, kRowIds[row].kinds[1]},
            {dialog, kRowIds[row].kinds[2]}, {dialog, kRowIds[row].kinds[3]},
            {dialog, kRowIds[row].kinds[4]}, {dialog, kRowIds[row].kinds[5]}},
      target(dialog, kRowIds[row].target),
      command(dialog, kRowIds[row].command),
      menu(dialog, kRowIds[row].menu) {}

TitleRows::TitleRows(const winfw::Window* dialog)
    : rows_{{dialog, 0}, {dialog, 1}, {dialog, 2}, {dialog, 3}, {dialog, 4}},
      titleCount_(dialog, IDC_TITLE_COUNT),
      titleSetCount_(dialog, IDC_TITLE_SET_COUNT),
      register_(dialog, IDC_REGISTER),
      preset_(dialog, IDC_PRESET),
      refresh_(dialog, IDC_REFRESH),
      titleInfo_(dialog, IDC_TITLE_INFO),
      execute_(dialog, IDC_EXECUTE),
      noMenu_(dialog, IDC_NO_MENU),
      randomPlay_(dialog, IDC_RANDOM_PLAY) {}

bool TitleRows::IsKindButton(int id) {
  for (const RowIds& row : kRowIds) {
    for (int kindId : row.kinds) {
      if (kindId == id) return true;
    }
  }
  return false;
}

void TitleRows::EnableDiscControls(bool on) {
  noMenu_.Enable(on);
  randomPlay_.Enable(on);
  titleInfo_.Enable(on);
  execute_.Enable(on);
}

void TitleRows::Setup() {
  Disc.RowPage = 0;
  Disc.MenuRegister = 0;
  EnableDiscControls(false);
  for (const char* name : kPresetNames) preset_.AddString(name);
  preset_.Select(Entry(Disc.PresetIndex, kPresetCount));
  char text[32];
  for (unsigned i = 0; i < kRegisterPairs; ++i) {
    std::snprintf(text, sizeof text, "%2u,%2u", i, (i + 1) % kRegisterPairs);
    register_.AddString(text);
  }
  register_.Select(Disc.MenuRegister);
  for (int title = 1; title <= kMaxTitles; ++title) {
    std::snprintf(text, sizeof text, "%02d", title);
    for (TitleRow& row : rows_) row.target.AddString(text);
  }
  for (int code = 0; code < kMenuChoiceCount; ++code) {
    if (code < kNamedMenus) {
      std::snprintf(text, sizeof text, "%s", kMenuNames[code]);
    } else {
      std::snprintf(text, sizeof text, "VMGM PGC:%02d", code - kNamedMenus + 1);
    }
    for (TitleRow& row : rows_) row.menu.AddString(text);
  }
  ShowRows();
}

void TitleRows::ShowRows() {
  char text[32];
  std::snprintf(text, sizeof text, "%2d", Disc.TitleCount);
  titleCount_.SetText(text);
  std::snprintf(text, sizeof text, "%2d", Disc.TitleSetCount);
  titleSetCount_.SetText(text);
  for (int k = 0; k < kRowsPerPage; ++k) {
    const int title = kRowsPerPage * Disc.RowPage + k + 1;
    if (title <= Disc.TitleCount) {
      std::snprintf(text, sizeof text, "[ %02d ]", title);
    } else {
      std::snprintf(text, sizeof text, "[ -- ]");
    }
    rows_[k].label.SetText(text);
  }
  noMenu_.SetChecked(Disc.NoMenu == 1);
  randomPlay_.SetChecked(Disc.RandomPlay == 1);

  register_.Select(Entry(Disc.MenuRegister, kRegisterPairs));
  const bool titles = Disc.TitleCount > 0;
  preset_.Enable(titles);
  refresh_.Enable(titles);
  register_.Enable(titles);
  for (int k = 0; k < kRowsPerPage; ++k) {
    const int n = kRowsPerPage * Disc.RowPage + k;
    TitleRow& row = rows_[k];
    for (int b = 0; b < kRowKinds; ++b) row.kinds[b].SetChecked(false);
    for (int b = 0; b < kRowKinds; ++b) {
      if (Disc.ActionKind[n] == kKindOfButton[b]) row.kinds[b].SetChecked(true);
    }
    row.target.Select(Entry(Disc.ActionTarget[n], kMaxTitles));
    FormatCommandText(Disc.ActionCommand[n], text);
    row.command.SetText(text);
    row.menu.Select(Entry(Disc.ActionMenu[n], kMenuChoiceCount));
    const bool shown = n < Disc.TitleCount;
    for (int b = 0; b < kRowKinds; ++b) row.kinds[b].Enable(shown);
    row.menu.Enable(shown);
  }
  UpdateRowEnabling();
}

void TitleRows::UpdateRowEnabling() {
  for (int k = 0; k < kRowsPerPage; ++k) {
    const int n = kRowsPerPage * Disc.RowPage + k;
    const TitleRow& row = rows_[k];
    const bool shown = n < Disc.TitleCount;
    row.target.Enable(shown && row.kinds[0].IsChecked());
    row.command.Enable(shown && !row.kinds[0].IsChecked() && row.kinds[1].IsChecked());
    row.menu.Enable(shown && !row.kinds[0].IsChecked() && !row.kinds[1].IsChecked() &&
                    row.kinds[2].IsChecked());
  }
}

void TitleRows::ReadRowsBack() {
  Disc.PresetIndex = preset_.Selection();
  Disc.MenuRegister = register_.Selection();
  Disc.NoMenu = noMenu_.IsChecked() ? 1 : 0;
  Disc.RandomPlay = randomPlay_.IsChecked() ? 1 : 0;
  for (int k = 0; k < kRowsPerPage; ++k) {
    const int n = kRowsPerPage * Disc.RowPage + k;
    const TitleRow& row = rows_[k];
    // The first checked of the first five buttons; none of them is Unchanged.
    int kind = Unchanged;
    for (int b = kRowKinds - 2; b >= 0; --b) {
      if (row.kinds[b].IsChecked()) kind = kKindOfButton[b];
    }
    Disc.ActionKind[n] = kind;
    if (kind == MenuPgc) Disc.ActionMenu[n] = row.menu.Selection();
    Disc.ActionTarget[n] = row.target.Selection();
    ParseCommandText(n, CommandText(row.command).c_str());
  }
}

void TitleRows::PageUp() {
  if (Busy || Disc.RowPage == 0) return;
  ReadRowsBack();
  --Disc.RowPage;
  ShowRows();
}

void TitleRows::PageDown() {
  if (Busy || kRowsPerPage * Disc.RowPage + kRowsPerPage >= Disc.TitleCount) return;
  ReadRowsBack();
  ++Disc.RowPage;
  ShowRows();
}

void TitleRows::ApplyBatchPreset() {
  ReadRowsBack();
  ::ApplyBatchPreset();
  ShowRows();
}
