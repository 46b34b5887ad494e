#include "disc/pgc_walk.h"

#include "disc/byte_order.h"

namespace {

// The 16-bit count at the start of a table, or 0 when it leaves the image.
int TableCount(ImageRef image, int64_t table) {
  if (table < 0 || !SpanInside(image.size, table, 2)) return 0;
  return ReadBe16(image.data + table);
}

// A walk takes a step for each search pointer it follows and for each
// command of each chain it visits. Tables as authored keep every pointer and
// command in 8 bytes of their own, so a walk over them takes fewer steps than
// the image has 8-byte slots, also when a chain is shared now and then. A
// damaged table can point 65535 language units at one unit of 65535 chains,
// each at one chain of thousands of commands, all inside the image: past four
// times that many steps a walk is only going over the same bytes again, and
// it stops there rather than keep the program busy for hours.
struct Walk {
  ImageRef image;
  VisitPgc visit;
  void* context;
  int64_t steps;
};

Walk StartWalk(ImageRef image, VisitPgc visit, void* context) {
  return Walk{image, visit, context, image.size / 2};
}

void WalkPgcs(Walk& walk, int64_t table) {
  int count = TableCount(walk.image, table);
  for (int k = 1; k <= count && walk.steps > 0; ++k) {
    walk.steps -= 1;
    int64_t pgc = PgcOffset(walk.image, table, k);
    if (pgc < 0) continue;
    CommandTable commands;
    if (ReadCommandTable(walk.image, pgc, &commands))
      walk.steps -= commands.pre + commands.post + commands.cell;
    walk.visit(walk.image, pgc, walk.context);
  }
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

int LanguageUnitCode(ImageRef image, int64_t table, int u) {
  if (LanguageUnitOffset(image, table, u) < 0) return -1;
  return ReadBe16(image.data + table + 8 + 8 * int64_t(u));
}

int64_t MenuLanguageUnit(ImageRef image, int64_t table, int code) {
  int units = TableCount(image, table);
  for (int u = 0; u < units; ++u)
    if (LanguageUnitCode(image, table, u) == code) return LanguageUnitOffset(image, table, u);
  return LanguageUnitOffset(image, table, 0);
}

void ForEachPgc(ImageRef image, int64_t table, VisitPgc visit, void* context) {
  Walk walk = StartWalk(image, visit, context);
  WalkPgcs(walk, table);
}

void ForEachMenuPgc(ImageRef image, int64_t table, VisitPgc visit, void* context) {
  Walk walk = StartWalk(image, visit, context);
  int units = TableCount(image, table);
  for (int u = 0; u < units && walk.steps > 0; ++u) {
    walk.steps -= 1;
    WalkPgcs(walk, LanguageUnitOffset(image, table, u));
  }
}
