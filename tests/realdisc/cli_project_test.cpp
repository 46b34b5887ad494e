// reelwrite project: a saved edit applied elsewhere writes what applying it
// directly writes, into the one disc it may be written to, and only what an
// execute writes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/ifo_tables.h"
#include "tests/realdisc/disc_fixture.h"

namespace {

// Information file n as a project file stores it.
ImageRef StoredImage(std::string& project, int n) {
  int32_t offset, size;
  std::memcpy(&offset, &project[580 + 4 * n], 4);
  std::memcpy(&size, &project[980 + 4 * n], 4);
  return ImageRef{reinterpret_cast<uint8_t*>(&project[4201292 + offset]), size};
}
uint8_t* At(std::string& project, int n, int64_t offset) {
  return const_cast<uint8_t*>(StoredImage(project, n).data) + offset;
}
int64_t FirstPgc(ImageRef vts) { return PgcOffset(vts, TableOffset(vts, kVtsPgcitSector), 1); }

// A project writes only what an execute of the disc would write, and only
// into the disc it was saved from: its images pass a folder read's checks,
// and each must equal the folder's file outside what execute writes; a
// command in a slot execute writes is replaced. A refused project changes
// nothing.
TEST(CliProject, AProjectWritesOnlyWhatAnExecuteWould) {
  // Its menu table grows by a sector: what follows it moves.
  TempFolder a('D');
  const std::string direct = CopyOfDisc(a, "langunits");
  ASSERT_EQ(Reelwrite({"project", "save", direct, a.HostName("edit.prj"), "--preset", "playall-stop"}).exit,
            0);
  ASSERT_EQ(Reelwrite({"apply", direct, "--preset", "playall-stop", "--yes"}).exit, 0);
  const FolderFiles patched = ReadFolder(direct);
  const std::vector<uint8_t> good = a.ReadFile("edit.prj");
  struct Case {
    const char* name;
    std::function<void(std::string&)> change;
    const char* said;                // null: written as a direct apply writes
    const char* disc = "langunits";  // the folder it is applied to
    const char* added = nullptr;     // a file added to that folder since
    bool backedUp = false;           // the folder applied to once before, beside its backup
  } cases[] = {
      // clang-format off
      {"none, into another disc", [](std::string&) {}, "情報取得したディスクと異なります", "postcmds"},
      {"none, into the disc with a VOB part added", [](std::string&) {}, "情報取得したディスクと異なります",
       "langunits", "VTS_01_2.VOB"},
      {"a cell's first sector", [](std::string& p) {
         ImageRef vts = StoredImage(p, 1);
         At(p, 1, FirstPgc(vts) + ReadBe16(vts.data + FirstPgc(vts) + 0xE8) + 8)[2] ^= 0x10; }, "VTS_01_0.IFO"},
      {"a byte of VIDEO_TS.IFO execute never writes", [](std::string& p) { At(p, 0, 0x40)[0] ^= 1; },
       "VIDEO_TS.IFO"},
      {"the same, the folder backed up", [](std::string& p) { At(p, 0, 0x40)[0] ^= 1; }, "VIDEO_TS.IFO",
       "langunits", nullptr, true},
      {"the prepared menu table's language", [](std::string& p) { p[2104140 + 8] ^= 1; }, "メニューテーブル"},
      {"a cell address past the stored VOB sizes",
       [](std::string& p) { At(p, 1, TableOffset(StoredImage(p, 1), kVtsCellAddresses) + 16)[1] ^= 0x10; },
       "VTS_01_1.VOB〜が足りません"},
      // Recorded layout is no fault (a disc may record padding); execute
      // recomputes it from the files.
      {"a sector field", [](std::string& p) { At(p, 1, kVtsLastSector)[3] ^= 1; }, nullptr},
      {"a post command execute writes", [](std::string& p) {
         At(p, 1, FirstPostCommand(StoredImage(p, 1), FirstPgc(StoredImage(p, 1))))[1] ^= 3; }, nullptr},
      {"none, into the folder it patched, without its backup", [](std::string&) {}, nullptr},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder b('E');
    const std::string later = CopyOfDisc(b, c.disc);
    if (c.added) b.WriteFile(std::string("VIDEO_TS/") + c.added, "");
    ASSERT_EQ(c.backedUp ? Reelwrite({"apply", later, "--preset", "2", "--yes"}).exit : 0, 0);
    std::string project(good.begin(), good.end());
    c.change(project);
    b.WriteFile("edit.prj", project);
    if (!c.said) {
      ProgramRun first = Reelwrite({"project", "apply", b.HostName("edit.prj"), later, "--yes"});
      ASSERT_EQ(first.exit, 0) << first.err;
      std::filesystem::remove_all(b.HostName("ORIGINAL_IFO"));
    }
    const FolderFiles before = ReadFolder(later);
    ProgramRun run = Reelwrite({"project", "apply", b.HostName("edit.prj"), later, "--yes", "--no-backup"});
    EXPECT_EQ(run.exit, c.said ? 1 : 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(later), c.said ? before : patched), Names{});
    if (c.said) {
      EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
      EXPECT_EQ(b.Exists("ORIGINAL_IFO"), c.backedUp);
    }
  }
}

}  // namespace
