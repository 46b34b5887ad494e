// reelwrite project: a saved edit applied elsewhere writes what applying it
// directly writes, and the project describes itself as info describes a disc.
// Folders under any host path, and the one disc a project may be written to.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/ifo_tables.h"
#include "tests/realdisc/disc_fixture.h"

namespace {

TEST(CliProject, SavedEditAppliedElsewhereWritesWhatApplyWrites) {
  TempFolder a('D'), b('E');
  const std::string direct = CopyOfDisc(a, "menus2vts");
  const std::string later = CopyOfDisc(b, "menus2vts");
  const std::string project = a.HostName("edit.prj");
  const std::vector<std::string> settings = {"--preset", "playall-stop", "--title", "2=menu:root",
                                             "--random"};

  // A menu call players abort on is refused as apply refuses it.
  EXPECT_EQ(Reelwrite({"project", "save", direct, project, "--title", "2=menu:vmgm:9"}).exit, 2);
  EXPECT_FALSE(a.Exists("edit.prj"));
  std::vector<std::string> save = {"project", "save", direct, project};
  save.insert(save.end(), settings.begin(), settings.end());
  ProgramRun run = Reelwrite(save);
  ASSERT_EQ(run.exit, 0) << run.err;

  std::vector<std::string> dryRun = {"apply", direct, "--dry-run", "--json"};
  dryRun.insert(dryRun.end(), settings.begin(), settings.end());
  const std::string dryRunOut = Reelwrite(dryRun).out;
  run = Reelwrite({"project", "info", project, "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(run.out, dryRunOut.substr(dryRunOut.find('{')));

  std::vector<std::string> apply = {"apply", direct, "--yes"};
  apply.insert(apply.end(), settings.begin(), settings.end());
  ASSERT_EQ(Reelwrite(apply).exit, 0);
  run = Reelwrite({"project", "apply", project, later, "--yes"});
  ASSERT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(Differences(ReadFolder(direct, true), ReadFolder(later, true)), std::vector<std::string>{});
}

TEST(CliProject, AProjectIsNeverWrittenIntoAnotherDisc) {
  TempFolder a, b;
  const std::string project = a.HostName("edit.prj");
  ASSERT_EQ(Reelwrite({"project", "save", CopyOfDisc(a, "sample"), project, "--preset", "1"}).exit, 0);
  const std::string other = CopyOfDisc(b, "postcmds");
  ProgramRun run = Reelwrite({"project", "apply", project, other, "--yes"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("情報取得したディスクと異なります"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(other), ReadFolder(AuthoredDisc("postcmds"))), std::vector<std::string>{});
  EXPECT_FALSE(b.Exists("ORIGINAL_IFO"));
}

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

// A project writes only what an execute of the disc would write: its images
// pass a folder read's checks, and each must equal the folder's file outside
// what execute writes; a command in a slot execute writes is replaced. A
// refused project changes nothing.
TEST(CliProject, AProjectWritesOnlyWhatAnExecuteWould) {
  // Its menu table grows by a sector: what follows it moves.
  TempFolder a('D');
  const std::string direct = CopyOfDisc(a, "langunits");
  const std::string saved = a.HostName("edit.prj");
  ASSERT_EQ(Reelwrite({"project", "save", direct, saved, "--preset", "playall-stop"}).exit, 0);
  ASSERT_EQ(Reelwrite({"apply", direct, "--preset", "playall-stop", "--yes"}).exit, 0);
  const FolderFiles patched = ReadFolder(direct);
  std::string good;
  good.assign(std::istreambuf_iterator<char>(*std::make_unique<std::ifstream>(saved, std::ios::binary)), {});
  struct Case {
    const char* name;
    std::function<void(std::string&)> change;
    const char* said;  // null: written as a direct apply writes
  } cases[] = {
      {"a cell's first sector",
       [](std::string& p) {
         ImageRef vts = StoredImage(p, 1);
         int64_t pgc = FirstPgc(vts);
         At(p, 1, pgc + ReadBe16(vts.data + pgc + 0xE8) + 8)[2] ^= 0x10;
       },
       "VTS_01_0.IFO"},
      {"a byte of VIDEO_TS.IFO execute never writes", [](std::string& p) { At(p, 0, 0x40)[0] ^= 1; },
       "VIDEO_TS.IFO"},
      {"the prepared menu table's language", [](std::string& p) { p[2104140 + 8] ^= 1; }, "メニューテーブル"},
      {"a cell address past the stored VOB sizes",
       [](std::string& p) { At(p, 1, TableOffset(StoredImage(p, 1), kVtsCellAddresses) + 16)[1] ^= 0x10; },
       "VTS_01_1.VOB〜が足りません"},
      // Recorded layout is no fault (a disc may record padding); execute
      // recomputes it from the files.
      {"a sector field", [](std::string& p) { At(p, 1, kVtsLastSector)[3] ^= 1; }, nullptr},
      {"a post command execute writes",
       [](std::string& p) {
         At(p, 1, FirstPostCommand(StoredImage(p, 1), FirstPgc(StoredImage(p, 1))))[1] ^= 3;
       },
       nullptr},
      {"none, into the folder it patched, without its backup", [](std::string&) {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder b('E');
    const std::string later = CopyOfDisc(b, "langunits");
    std::string project = good;
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
    EXPECT_EQ(Differences(ReadFolder(later), c.said ? before : patched), std::vector<std::string>{});
    if (c.said) {
      EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
      EXPECT_FALSE(b.Exists("ORIGINAL_IFO"));
    }
  }
}

// A folder under a name code page 932 cannot spell, or deeper than Windows
// paths go, is patched as the same disc anywhere else, and named as the user
// names it.
TEST(CliProject, FoldersUnderAnyHostPathArePatchedAsAnywhereElse) {
  TempFolder plain('D');
  const std::string reference = CopyOfDisc(plain, "sample");
  ASSERT_EQ(Reelwrite({"apply", reference, "--preset", "playall-stop", "--yes"}).exit, 0);
  for (const std::string& parents :
       {std::string("Amélie"), std::string(140, 'l') + "/" + std::string(140, 'm')}) {
    TempFolder folder('E');
    std::filesystem::create_directories(folder.HostName(parents + "/VIDEO_TS"));
    for (const auto& f : ReadFolder(AuthoredDisc("sample")))
      folder.WriteFile(parents + "/VIDEO_TS/" + f.first, f.second);
    const std::string disc = folder.HostName(parents);  // the disc's root folder
    ProgramRun run = Reelwrite({"apply", disc, "--preset", "playall-stop", "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_NE(run.err.find(disc + "/ORIGINAL_IFO"), std::string::npos) << run.err;
    EXPECT_EQ(Differences(ReadFolder(disc + "/VIDEO_TS"), ReadFolder(reference)), std::vector<std::string>{});
    // The drive letter standing for such a folder means nothing to another run.
    const std::string project = disc + "/edit.prj";
    ASSERT_EQ(Reelwrite({"project", "save", disc, project}).exit, 0);
    EXPECT_EQ(Reelwrite({"project", "apply", project, "--yes"}).exit, 2);
    EXPECT_EQ(Reelwrite({"project", "apply", project, disc, "--yes"}).exit, 0);
  }
}

}  // namespace
