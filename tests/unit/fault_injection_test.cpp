// Execute and restore, once per fault point: each call of the seam on the way
// (every open, write, flush, close, replacement, removal, folder made,
// renamed or synced) fails in turn, then genuine failures (a full disk, a
// folder where a temporary goes). After each, the disc folder holds the disc
// as before or exactly as a successful run leaves it, the backup is whole or
// absent, nothing of ours is left behind, and whoever was left with the old
// disc was told so and never told of success.
//
// Then the process is killed for real at each of those calls (and in the undo
// a failed replacement starts), and the next command runs: no disc file is
// ever missing, and the next command leaves the disc as before or as after,
// saying what it finished.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "actions/presets.h"
#include "author/execute.h"
#include "author/original_backup.h"
#include "disc/disc_state.h"
#include "tests/unit/file_size_limit.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

// Present in a sanitized build only.
extern "C" void __sanitizer_purge_allocator() __attribute__((weak));

namespace {

// Every file and folder under the drive, by path ("DISC/VIDEO_TS/VIDEO_TS.IFO").
using Tree = std::map<std::string, std::string>;
const std::string kDisc = "DISC/VIDEO_TS/", kBackup = "DISC/ORIGINAL_IFO/";
const char kFolder[] = "C:\\DISC\\VIDEO_TS";

Tree Under(const Tree& tree, const std::string& prefix) {
  Tree part;
  for (const auto& [name, bytes] : tree)
    if (name.compare(0, prefix.size(), prefix) == 0) part[name] = bytes;
  return part;
}

// The seam: call `at` fails, or kills the process; with `at` -1 the calls
// are only counted (noting, for kills, the drive before each).
struct Seam {
  int at = -1;
  bool kills = false;
  const char* unreplaceable = nullptr;  // a drive path whose replacement always fails
  const TempFolder* drive = nullptr;
  int calls = 0;
  std::string failedCall, failedPath;  // the host path, relative to the drive
  std::vector<Tree> states;
} seam;

bool AtSeam(const char* call, const char* path) {
  if (seam.kills && seam.at < 0) seam.states.push_back(seam.drive->Tree());
  if (seam.calls++ == seam.at) {
    if (seam.kills) kill(getpid(), SIGKILL);
    char host[4096];
    seam.failedCall = call;
    seam.failedPath =
        path && platform::HostPath(path, host, sizeof host) ? host + seam.drive->host().size() + 1 : "";
    return true;
  }
  return seam.unreplaceable && path && std::strcmp(call, "replace") == 0 &&
         std::strcmp(path, seam.unreplaceable) == 0;
}

bool Told(const MessageRecorder& messages, const char* start) {
  for (const RecordedMessage& m : messages.messages())
    if (m.text.rfind(start, 0) == 0) return true;
  return false;
}

class FaultInjection : public ::testing::Test {
 protected:
  void TearDown() override { platform::SetFaultCheck(nullptr); }

  // The disc laid out afresh in C:\DISC\VIDEO_TS and read; for restore, patched.
  void Prepare() {
    std::filesystem::remove_all(drive_.HostName("DISC"));
    std::filesystem::create_directories(drive_.HostName("DISC/VIDEO_TS"));
    testdisc::DiscSpec layout = testdisc::SimpleDisc(2, 2);
    layout.titleSets[0].titleVobBytes = {4096};
    testdisc::WriteDisc(drive_.HostName("DISC/VIDEO_TS"), layout);
    std::memset(&Disc, 0, sizeof Disc);
    Busy = 0;
    MessageRecorder quiet;
    ASSERT_EQ(GetInfo(kFolder, 0, 0), FolderRead);
    Disc.PresetIndex = 3;
    ApplyBatchPreset();
    ASSERT_TRUE(!restore_ || Execute(kFolder) == ExecuteSucceeded);
  }
  // Runs the operation through the seam; whether it reported success.
  bool Act(int at = -1, bool kills = false, const char* unreplaceable = nullptr) {
    seam = Seam{at, kills, unreplaceable, &drive_, 0, {}, {}, {}};
    platform::SetFaultCheck(AtSeam);
    const bool succeeded = restore_ ? RestoreOriginalBackup(kFolder) : Execute(kFolder) == ExecuteSucceeded;
    platform::SetFaultCheck(nullptr);
    return succeeded;
  }
  const char* Done() const { return restore_ ? "元のIFOファイルを復元しました." : "正常終了しました."; }

  // The drive against the disc before and after: the disc folder as either,
  // the backup whole or absent.
  struct Standing {
    bool asBefore, asAfter, backupWholeOrAbsent;
  };
  Standing Stands(const Tree& got) const {
    const Tree video = Under(got, kDisc), kept = Under(got, kBackup);
    return {video == Under(before_, kDisc), video == Under(after_, kDisc),
            kept.empty() || kept == Under(after_, kBackup) || kept == Under(before_, kBackup)};
  }

  // With seam call `failAt` failing (-1: none), a folder in a temporary's
  // way, or files limited to `sizeLimit` bytes.
  void RunWithFault(int failAt, bool blocked = false, rlim_t sizeLimit = 0) {
    Prepare();
    if (blocked) drive_.MakeDir("DISC/VIDEO_TS/VTS_02_0.BUP.rwtmp");  // not ours: stays
    const Tree start = drive_.Tree();
    auto run = [&] {
      MessageRecorder messages;
      const bool succeeded = Act(failAt);
      Tree got = drive_.Tree();
      // A failed removal leaves just what it failed to remove, which the next
      // run clears (a temporary is written anew, a half-made backup folder is
      // removed first); what was there before and is no disc's stays.
      const bool removal = seam.failedCall == "remove" || seam.failedCall == "rmdir";
      const std::string failed = seam.failedPath + "/";
      for (auto it = got.begin(); it != got.end();) {
        const std::string name = it->first.back() == '/' ? it->first : it->first + "/";
        const bool left = removal && !start.count(it->first) && failed.compare(0, name.size(), name) == 0;
        const bool notOurs = start.count(it->first) && !after_.count(it->first) &&
                             !before_.count(it->first) && start.at(it->first) == it->second;
        it = left || notOurs ? got.erase(it) : std::next(it);
      }
      const Standing s = Stands(got);
      const bool backedUp = !Under(got, kBackup).empty();
      const bool nothingElse =
          Under(got, kDisc).size() + Under(got, kBackup).size() + 1 == got.size();  // + DISC/
      bool told = false;
      for (const RecordedMessage& m : messages.messages()) told = told || m.style == 48;
      // A failed flush or close may have lost a file's last bytes (at a power
      // cut, or now): only a run that went on without its backup (the files
      // that failed) may end well.
      const bool lost = seam.failedCall == "close" || seam.failedCall == "flush";
      const bool honest = s.asAfter ? succeeded && Told(messages, Done()) && !(lost && backedUp)
                                    : !succeeded && told && !Told(messages, Done());
      const bool right = (s.asBefore || s.asAfter) && s.backupWholeOrAbsent && nothingElse && honest;
      EXPECT_TRUE(right) << Done() << ", fault at call " << failAt << " (" << seam.failedCall << " "
                         << seam.failedPath << "): as before " << s.asBefore << ", as after " << s.asAfter
                         << ", backup " << s.backupWholeOrAbsent << ", nothing else " << nothingElse
                         << ", honest " << honest;
      return right;
    };
    EXPECT_TRUE(sizeLimit ? RunsWithFileSizeLimit(sizeLimit, run) : run())
        << "files limited to " << sizeLimit;
  }

  // The drive before and after an undisturbed run; the seam calls it made.
  int Measure() {
    Prepare();
    before_ = drive_.Tree();
    MessageRecorder quiet;
    EXPECT_TRUE(Act());
    after_ = drive_.Tree();
    return seam.calls;
  }

  void EveryFaultPoint() {
    const int points = Measure();
    // The disc fills up: with 5,000 bytes a 6,144-byte file is written whole
    // into the buffer and only the flush fails; 9,000 bytes let the video
    // manager's files through and stop the title sets'.
    RunWithFault(-1, true);
    RunWithFault(-1, false, 5000);
    RunWithFault(-1, false, 9000);
    for (int k = 0; k < points; ++k) RunWithFault(k);
  }

  // Kills the operation at every seam call in turn that finds the drive in a
  // state no kill has left yet (a write still in the buffer leaves none, and
  // an earlier operation may have left it). No disc file is ever missing;
  // the next command, get info (every other point) or the operation again,
  // mends the folder.
  void EveryKillPoint(const char* unreplaceable = nullptr) {
    Measure();
    Prepare();
    MessageRecorder quiet;
    Act(-1, true, unreplaceable);
    const std::vector<Tree> states = seam.states;
    for (int at = 0, point = 0; at < int(states.size()); ++at) {
      if (!killed_.insert(states[at]).second) continue;
      Prepare();
      // The quarantine of freed memory the sanitizer keeps would be copied into every child.
      if (__sanitizer_purge_allocator) __sanitizer_purge_allocator();
      const pid_t child = fork();
      if (child == 0) _exit(Act(at, true, unreplaceable));
      int status = 0;
      ASSERT_TRUE(waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
          << "call " << at;
      const Tree killed = Under(drive_.Tree(), kDisc);
      for (const auto& [name, bytes] : Under(before_, kDisc))
        EXPECT_TRUE(killed.count(name)) << at << ": " << name;
      const bool info = point++ % 2 == 1;
      MessageRecorder messages;
      const bool succeeded = info ? GetInfo(kFolder, 0, 0) == FolderRead : Act();
      const Tree got = drive_.Tree();
      const Standing s = Stands(got);
      const bool completed = Told(messages, "前回中断された書き込みを最後まで行いました.");
      const bool undone = Told(messages, "前回中断された書き込みを取り消しました.") ||
                          Told(messages, "前回中断された書き込みの一時ファイルを削除しました.");
      // What changed was said, and truly: finished means the new disc, undone the old.
      EXPECT_TRUE(info ? succeeded && (s.asBefore || s.asAfter) && s.backupWholeOrAbsent &&
                             (killed != Under(got, kDisc)) == (completed || undone) &&
                             (!completed || s.asAfter) && (!undone || s.asBefore)
                       : succeeded && got == after_ && Told(messages, Done()))
          << Done() << ", killed at call " << at << ", then " << (info ? "get info" : "again")
          << ": as before " << s.asBefore << ", as after " << s.asAfter << ", completed " << completed
          << ", undone " << undone;
    }
  }

  bool restore_ = false;
  Tree before_, after_;
  std::set<Tree> killed_;
  TempFolder drive_{'C', access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"};
};

TEST_F(FaultInjection, ExecuteLeavesTheOldDiscOrTheNewOne) { EveryFaultPoint(); }

TEST_F(FaultInjection, RestoreLeavesThePatchedDiscOrTheOriginal) {
  restore_ = true;
  EveryFaultPoint();
}

TEST_F(FaultInjection, KilledRunsAreFinishedByTheNextCommand) {
  EveryKillPoint();
  restore_ = true;
  EveryKillPoint();
  // A replacement that fails sends the set back; killed while undoing, it
  // is undone by the next command.
  restore_ = false;
  EveryKillPoint("C:\\DISC\\VIDEO_TS\\VTS_01_0.IFO");
}

// What reading a folder makes of a write cut off there in ways the kill
// sweep does not reach: an older version's leftovers, a record cut short by
// a power cut, and a set that can go neither way.
TEST(InterruptedWrite, IsFinishedBeforeTheFolderIsRead) {
  const struct {
    const char* left;
    std::function<void(const TempFolder&)> leave;
    const char* said;
    ReadOutcome read;
  } cases[] = {
      {"an older version stepped the original aside and was cut off",
       [](const TempFolder& d) {
         std::filesystem::rename(d.HostName("VIDEO_TS.IFO"), d.HostName("VIDEO_TS.IFO.rwold"));
         d.WriteFile("VIDEO_TS.BUP.rwtmp", "new");
       },
       "前回中断された書き込みで脇に置かれたままだった元のファイルを戻しました.", FolderRead},
      {"a record cut short: the set never began",
       [](const TempFolder& d) {
         d.WriteFile("REELWRITE.rwset", "REELWRITE FILE SET\nK VIDEO_TS.IFO\n");
         d.WriteFile("VIDEO_TS.IFO.rwtmp", "new");
         d.WriteFile("VIDEO_TS.IFO.rwold", d.ReadFile("VIDEO_TS.IFO"));
       },
       "前回中断された書き込みの一時ファイルを削除しました.", FolderRead},
      {"a file that cannot be put in place, and one that cannot be put back",
       [](const TempFolder& d) {
         d.WriteFile("REELWRITE.rwset", "REELWRITE FILE SET\nN STUCK\nK HELD\nEND\n");
         for (const char* held : {"STUCK", "HELD"})
           d.MakeDir(held), d.WriteFile(held + std::string("/inside"), "x");
         d.WriteFile("STUCK.rwtmp", "new");
         d.WriteFile("HELD.rwold", "old");
       },
       "前回中断された書き込みを完了することも取り消すこともできません.", FilesRejected},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.left);
    TempFolder drive;
    testdisc::WriteDisc(drive.host(), testdisc::SimpleDisc(1, 1));
    const auto disc = drive.Tree();
    c.leave(drive);
    std::memset(&Disc, 0, sizeof Disc);
    MessageRecorder messages;

    EXPECT_EQ(GetInfo("C:\\", 0, 0), c.read);

    EXPECT_EQ(messages.Texts().at(0).rfind(c.said, 0), 0u);
    auto after = drive.Tree();
    for (const auto& [name, bytes] : disc) EXPECT_EQ(after[name], bytes) << name;
    // Read, nothing else is left; refused, the undo record is, for the next run to try again.
    EXPECT_TRUE(c.read == FolderRead ? after == disc : drive.Exists("REELWRITE.rwundo"));
  }
}

}  // namespace
