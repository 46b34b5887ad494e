#include "disc/title_chain.h"

#include "disc/disc_state.h"

bool FindTitleChain(ImageRef vmg, int t, TitleChain* chain) {
  *chain = TitleChain{0, 0, -1, -1};
  int64_t entry = TitleEntryOffset(vmg, t);
  if (entry < 0) return false;
  chain->titleSet = vmg.data[entry + 6];
  chain->titleInSet = vmg.data[entry + 7];
  if (chain->titleSet < 1 || chain->titleSet > Disc.TitleSetCount || chain->titleInSet < 1) return false;
  ImageRef vts = VtsImageRef(chain->titleSet);
  chain->pgcNumber = LastChapterPgcNumber(vts, chain->titleInSet);
  if (chain->pgcNumber < 1) return false;
  int64_t table = TableOffset(vts, kVtsPgcitSector);
  chain->pgc = table < 0 ? -1 : PgcOffset(vts, table, chain->pgcNumber);
  return chain->pgc >= 0;
}
