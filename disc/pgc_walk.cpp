#include "disc/pgc_walk.h"

#include "disc/menu_units.h"

namespace {

// A walk takes a step for each search pointer it follows and for each
// command of each chain it visits. Tables as authored keep every pointer and
// command in 8 bytes of their own, so a walk over them takes fewer steps than
// the image has 8-byte slots, also when a chain is shared now and then. A
// damaged table can point 65535 chains at one chain of thousands of
// commands, all inside the image: past four times that many steps a walk is
// only going over the same bytes again, and it stops there rather than keep
// the program busy for hours.
struct Walk {
  ImageRef image;
  VisitPgc visit;
  void* context;
  int64_t steps;
};

Walk StartWalk(ImageRef image, VisitPgc visit, void* context) {
  return Walk{image, visit, context, image.size / 2};
}

void Visit(Walk& walk, int64_t pgc) {
  walk.steps -= 1;
  if (pgc < 0) return;
  CommandTable commands;
  if (ReadCommandTable(walk.image, pgc, &commands))
    walk.steps -= commands.pre + commands.post + commands.cell;
  walk.visit(walk.image, pgc, walk.context);
}

}  // namespace

void ForEachPgc(ImageRef image, int64_t table, VisitPgc visit, void* context) {
  Walk walk = StartWalk(image, visit, context);
  int count = PgcCount(image, table);
  for (int k = 1; k <= count && walk.steps > 0; ++k) Visit(walk, PgcOffset(image, table, k));
}

void ForEachMenuPgc(ImageRef image, int64_t table, VisitPgc visit, void* context) {
  Walk walk = StartWalk(image, visit, context);
  MenuTable units;
  if (ReadMenuTable(image, table, &units) != MenuUnitFault::None) return;
  for (int u = 0; u < units.units && walk.steps > 0; ++u) {
    walk.steps -= 1;
    MenuUnit unit;
    if (ReadMenuUnit(image, units, u, &unit) != MenuUnitFault::None) continue;
    for (int k = 1; k <= unit.pgcs && walk.steps > 0; ++k) Visit(walk, MenuPgcOffset(image, unit, k));
  }
}
