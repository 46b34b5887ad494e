#include "actions/pgc_walk.h"

#include "disc/byte_order.h"

namespace {

// The 16-bit count at the start of a table, or 0 when it leaves the image.
int TableCount(ImageRef image, int64_t table) {
  if (table < 0 || !SpanInside(image.size, table, 2)) return 0;
  return ReadBe16(image.data + table);
}

}  // namespace

int64_t FirstPlayPgcOffset(ImageRef vmg) {
  if (!SpanInside(vmg.size, kVmgFirstPlayPgc, 4)) return -1;
  int64_t pgc = uint32_t(ReadBe32(vmg.data + kVmgFirstPlayPgc));
  if (pgc == 0 || !SpanInside(vmg.size, pgc, kPgcHeaderSize)) return -1;
  return pgc;
}

int64_t LanguageUnitOffset(ImageRef image, int64_t table, int u) {
  int64_t pointer = table + 8 + 8 * int64_t(u);
  if (table < 0 || u < 0 || !SpanInside(image.size, pointer, 8)) return -1;
  int64_t unit = table + ReadBe32(image.data + pointer + 4);
  if (!SpanInside(image.size, unit, 8)) return -1;
  return unit;
}

void ForEachPgc(ImageRef image, int64_t table, VisitPgc visit, void* context) {
  int count = TableCount(image, table);
  for (int k = 1; k <= count; ++k) {
    int64_t pgc = PgcOffset(image, table, k);
    if (pgc >= 0) visit(image, pgc, context);
  }
}

void ForEachMenuPgc(ImageRef image, int64_t table, VisitPgc visit, void* context) {
  int units = TableCount(image, table);
  for (int u = 0; u < units; ++u) ForEachPgc(image, LanguageUnitOffset(image, table, u), visit, context);
}
