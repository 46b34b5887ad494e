#include "disc/title_info.h"

#include <cstdint>
#include <cstdio>

#include "disc/ifo_tables.h"

TitleSummary TitleSummaryOf(int t) {
  TitleSummary row{t + 1, 0, 0, 0, 0};
  ImageRef vmg = StoredVmgRef();
  int64_t e = TitleEntryOffset(vmg, t);
  if (e < 0) return row;
  const uint8_t* entry = vmg.data + e;
  row.angles = entry[1];
  row.chapters = (entry[2] << 8) | entry[3];
  row.titleSet = entry[6];
  row.titleInSet = entry[7];
  return row;
}

void FormatTitleInfoLine(const TitleSummary& row, char (&out)[kTitleInfoLineCapacity]) {
  std::snprintf(out, sizeof out, " ﾀｲﾄﾙ%02d: [VTS番号:%2d  VTS内ﾀｲﾄﾙ番号:%2d  ｱﾝｸﾞﾙ数:%2d  ﾁｬﾌﾟﾀｰ数:%2d]",
                row.title, row.titleSet, row.titleInSet, row.angles, row.chapters);
}
