#include "app/title_info_dialog.h"

#include "disc/disc_state.h"
#include "disc/title_info.h"
#include "res/resource.h"

TitleInfDialog::TitleInfDialog(const winfw::Window* parent)
    : winfw::Dialog(IDD_TITLE_INFO, parent), list_(this, IDC_TITLE_LIST) {}

void TitleInfDialog::SetupWindow() {
  SetText("タイトル情報表示");
  list_.Clear();
  for (int t = 0; t < Disc.TitleCount && t < kMaxTitles; ++t) {
    char line[kTitleInfoLineCapacity];
    FormatTitleInfoLine(TitleSummaryOf(t), line);
    list_.AddString(line);
  }
}
