// What the title search pointer table says of each title, as the title
// information list and the command line show it.
#pragma once

#include <cstddef>

struct TitleSummary {
  int title;
  int titleSet;
  int titleInSet;
  int angles;
  int chapters;
};

// Title t (0-based) from VIDEO_TS.IFO as read (IfoStore), not the patched
// copy: the list shows the titles as they were read, also after execute.
// All but `title` are 0 when the entry lies outside the image.
TitleSummary TitleSummaryOf(int t);

// The title information line of a title, UTF-8 (half-width katakana as on
// the screen): " ﾀｲﾄﾙ01: [VTS番号: 1  VTS内ﾀｲﾄﾙ番号: 1  ｱﾝｸﾞﾙ数: 1  ﾁｬﾌﾟﾀｰ数:12]".
constexpr std::size_t kTitleInfoLineCapacity = 160;
void FormatTitleInfoLine(const TitleSummary& row, char (&out)[kTitleInfoLineCapacity]);
