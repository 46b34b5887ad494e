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

#include <cstdio>
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

// The part of a tree under `prefix`.
Tree Under(const Tree& tree, const std::string& prefix) {
  Tree part;
  for (const auto& [name, bytes] : tree)
    if (name.compare(0, prefix.size(), prefix) == 0) part[name] = bytes;
  return part;
}

struct Plan {
  int failAt = -1;  // -1: count only
  int calls = 0;
  std::string failedCall;
  std::string failedPath;  // the host path, relative to the drive
} plan;
std::string DriveHost;

bool FailOnce(const char* call, const char* path) {
  if (plan.calls++ != plan.failAt) return false;
  plan.failedCall = call;
  char host[4096];
  plan.failedPath = path && platform::HostPath(path, host, sizeof host) ? host + DriveHost.size() + 1 : "";
  return true;
}

// One operation on a disc in C:\DISC\VIDEO_TS: `prepare` lays the disc out
// afresh and reads it; `act` runs the operation and says whether it reported
// success; `done` is the message that tells success.
struct Operation {
  const char* name;
  std::function<void()> prepare;
  std::function<bool()> act;
  const char* done;
};

void LayOut(const TempFolder& drive) {
  for (const auto& entry : std::filesystem::directory_iterator(drive.host()))
    std::filesystem::remove_all(entry);
  drive.MakeDir("DISC");
  drive.MakeDir("DISC/VIDEO_TS");
  testdisc::DiscSpec layout = testdisc::SimpleDisc(2, 2);
  layout.titleSets[0].titleVobBytes = {4096};
  testdisc::WriteDisc(drive.HostName("DISC/VIDEO_TS"), layout);
  std::memset(&Disc, 0, sizeof Disc);
  Busy = 0;
  MessageRecorder quiet;
  ASSERT_EQ(GetInfo("C:\\DISC\\VIDEO_TS", 0, 0), FolderRead);
  Disc.PresetIndex = 3;
  ApplyBatchPreset();
}

// What the disc holds, by names and bytes: a process killed anywhere leaves
// nothing else behind.
std::size_t Fingerprint(const Tree& tree) {
  std::string all;
  for (const auto& [name, bytes] : tree) all += name + '\0' + bytes + '\0';
  return std::hash<std::string>{}(all);
}

struct KillPlan {
  int killAt = -1;  // -1: count only, noting the drive before each call in `states`
  int calls = 0;
  const char* unreplaceable = nullptr;  // a drive path whose replacement always fails
  const TempFolder* drive = nullptr;
  std::vector<std::size_t> states;
} killPlan;

bool KillOnce(const char* call, const char* path) {
  if (killPlan.killAt < 0) killPlan.states.push_back(Fingerprint(killPlan.drive->Tree()));
  if (killPlan.calls++ == killPlan.killAt) kill(getpid(), SIGKILL);
  return killPlan.unreplaceable && path && std::strcmp(call, "replace") == 0 &&
         std::strcmp(path, killPlan.unreplaceable) == 0;
}

bool Told(const MessageRecorder& messages, const char* start) {
  for (const RecordedMessage& m : messages.messages())
    if (m.text.rfind(start, 0) == 0) return true;
  return false;
}

// Failures the system gives by itself.
struct Genuine {
  void (*setUp)(const TempFolder& drive) = nullptr;
  rlim_t sizeLimit = 0;
};
const Genuine kGenuineFaults[] = {
    {[](const TempFolder& drive) { drive.MakeDir("DISC/VIDEO_TS/VTS_02_0.BUP.rwtmp"); }},  // not ours: stays
    // The disc fills up: with 5,000 bytes a 6,144-byte file is written
    // whole into the buffer and only the flush fails; 9,000 bytes let the
    // video manager's files through and stop the title sets'.
    {nullptr, 5000},
    {nullptr, 9000},
};

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override { DriveHost = drive_.host(); }
  void TearDown() override { platform::SetFaultCheck(nullptr); }

  // Runs the operation with the seam's call `failAt` failing (-1: none),
  // or with a genuine fault set up by `genuine`, or with files limited to
  // `sizeLimit` bytes. Returns whether the outcome was mixed, saying why.
  bool RunWithFault(const Operation& op, int failAt, const Tree& before, const Tree& after,
                    const Genuine& genuine = {}) {
    op.prepare();
    if (genuine.setUp) genuine.setUp(drive_);
    Tree start = drive_.Tree();
    if (genuine.sizeLimit == 0) return ActAndCheck(op, failAt, before, after, start);
    return !RunsWithFileSizeLimit(genuine.sizeLimit,
                                  [&] { return !ActAndCheck(op, -1, before, after, start); });
  }

  bool ActAndCheck(const Operation& op, int failAt, const Tree& before, const Tree& after,
                   const Tree& start) {
    MessageRecorder messages;
    plan = Plan{};
    plan.failAt = failAt;
    platform::SetFaultCheck(FailOnce);
    bool succeeded = op.act();
    platform::SetFaultCheck(nullptr);
    Tree got = drive_.Tree();
    // A failed removal leaves just what it failed to remove, which the
    // next run clears (a temporary is written anew, a half-made backup
    // folder is removed first).
    if (plan.failedCall == "remove" || plan.failedCall == "rmdir") {
      for (auto it = got.begin(); it != got.end();) {
        std::string name = it->first;
        if (!name.empty() && name.back() == '/') name.pop_back();
        bool inside = plan.failedPath == name || plan.failedPath.compare(0, name.size() + 1, name + "/") == 0;
        bool left = inside && !start.count(it->first);
        it = left ? got.erase(it) : std::next(it);
      }
    }
    for (const auto& [name, bytes] : start) {
      if (!after.count(name) && !before.count(name) && got.count(name) && got[name] == bytes) got.erase(name);
    }
    const std::string disc = "DISC/VIDEO_TS/", backup = "DISC/ORIGINAL_IFO/";
    Tree video = Under(got, disc), kept = Under(got, backup);
    bool asBefore = video == Under(before, disc), asAfter = video == Under(after, disc);
    bool backupWholeOrAbsent = kept.empty() || kept == Under(after, backup) || kept == Under(before, backup);
    bool nothingElse = video.size() + kept.size() + 1 == got.size();  // + DISC/
    bool told = false, toldSuccess = false;
    for (const RecordedMessage& m : messages.messages()) {
      told = told || m.style == 48;
      toldSuccess = toldSuccess || m.text.rfind(op.done, 0) == 0;
    }
    bool honest = asAfter ? succeeded && toldSuccess : !succeeded && told && !toldSuccess;
    bool mixed = !(asBefore || asAfter) || !backupWholeOrAbsent || !nothingElse || !honest;
    if (mixed) {
      ADD_FAILURE() << op.name << ": fault at call " << failAt << " (" << plan.failedCall << " "
                    << plan.failedPath << "): as before " << asBefore << ", as after " << asAfter
                    << ", backup whole or absent " << backupWholeOrAbsent << ", nothing else " << nothingElse
                    << ", honest " << honest;
    }
    return mixed;
  }

  // Every fault point of the operation in turn; prints the figures.
  void EveryFaultPoint(const Operation& op) {
    op.prepare();
    Tree before = drive_.Tree();
    MessageRecorder quiet;
    plan = Plan{};
    platform::SetFaultCheck(FailOnce);
    ASSERT_TRUE(op.act());
    platform::SetFaultCheck(nullptr);
    const int points = plan.calls;
    Tree after = drive_.Tree();
    int mixed = 0;
    for (int k = 0; k < points; ++k) mixed += RunWithFault(op, k, before, after);
    for (const Genuine& fault : kGenuineFaults) mixed += RunWithFault(op, -1, before, after, fault);
    std::printf("%s: %d fault points, %d mixed folders\n", op.name, points + int(std::size(kGenuineFaults)),
                mixed);
    EXPECT_EQ(mixed, 0);
  }

  // Runs the operation in a child killed at seam call `at`; false when the
  // child was not killed there.
  bool KilledAt(const Operation& op, int at, const char* unreplaceable) {
    op.prepare();
    // The quarantine of freed memory the sanitizer keeps would be copied
    // into every child.
    if (__sanitizer_purge_allocator) __sanitizer_purge_allocator();
    pid_t child = fork();
    if (child == 0) {
      MessageRecorder quiet;
      killPlan = KillPlan{at, 0, unreplaceable, nullptr, {}};
      platform::SetFaultCheck(KillOnce);
      op.act();
      _exit(0);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

  // After a kill, the next command: get info (every other point) or the
  // operation again. Returns whether it left a mixed folder, saying why.
  bool NextCommandMends(const Operation& op, int point, int at, const Tree& before, const Tree& after) {
    const std::string disc = "DISC/VIDEO_TS/", backup = "DISC/ORIGINAL_IFO/";
    const Tree killed = Under(drive_.Tree(), disc);
    MessageRecorder messages;
    const bool info = point % 2 == 1;
    const bool succeeded = info ? GetInfo("C:\\DISC\\VIDEO_TS", 0, 0) == FolderRead : op.act();
    const Tree got = drive_.Tree(), video = Under(got, disc), kept = Under(got, backup);
    const bool asBefore = video == Under(before, disc), asAfter = video == Under(after, disc);
    const bool completed = Told(messages, "前回中断された書き込みを最後まで行いました.");
    const bool undone = Told(messages, "前回中断された書き込みを取り消しました.") ||
                        Told(messages, "前回中断された書き込みの一時ファイルを削除しました.");
    bool mended;
    if (info) {
      const bool backupWholeOrAbsent =
          kept.empty() || kept == Under(after, backup) || kept == Under(before, backup);
      // What changed was said, and truly: finished means the new disc, undone the old.
      const bool honest =
          (killed != video) == (completed || undone) && (!completed || asAfter) && (!undone || asBefore);
      mended = succeeded && (asBefore || asAfter) && backupWholeOrAbsent && honest;
    } else {
      mended = succeeded && got == after && Told(messages, op.done);
    }
    if (!mended) {
      ADD_FAILURE() << op.name << ": killed at call " << at << ", then " << (info ? "get info" : op.name)
                    << ": as before " << asBefore << ", as after " << asAfter << ", completed " << completed
                    << ", undone " << undone;
    }
    return !mended;
  }

  // Kills the operation at every seam call in turn that finds the drive in a
  // state no kill has left yet (a write still in the buffer leaves none, and
  // an earlier operation may have left it); prints the figures.
  void EveryKillPoint(const Operation& op, const char* unreplaceable = nullptr) {
    op.prepare();
    const Tree before = drive_.Tree();
    {
      MessageRecorder quiet;
      ASSERT_TRUE(op.act());
    }
    const Tree after = drive_.Tree();
    op.prepare();
    {
      MessageRecorder quiet;
      killPlan = KillPlan{-1, 0, unreplaceable, &drive_, {}};
      platform::SetFaultCheck(KillOnce);
      op.act();
      platform::SetFaultCheck(nullptr);
    }
    const std::vector<std::size_t> states = killPlan.states;
    int points = 0, mixed = 0, missing = 0;
    for (int at = 0; at < int(states.size()); ++at) {
      if (!killed_.insert(states[at]).second) continue;
      ASSERT_TRUE(KilledAt(op, at, unreplaceable)) << op.name << ": call " << at;
      const Tree killed = drive_.Tree();
      for (const auto& [name, bytes] : Under(before, "DISC/VIDEO_TS/")) {
        if (!killed.count(name)) {
          ADD_FAILURE() << op.name << ": killed at call " << at << ", " << name << " is missing";
          ++missing;
          break;
        }
      }
      mixed += NextCommandMends(op, points++, at, before, after);
    }
    std::printf("%s: %d kill points, %d mixed folders, %d missing files\n", op.name, points, mixed, missing);
    EXPECT_EQ(mixed + missing, 0);
  }

  std::set<std::size_t> killed_;
  TempFolder drive_{'C', access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"};
};

Operation ExecuteOn(const TempFolder& drive) {
  return {"execute", [&drive] { LayOut(drive); },
          [] { return Execute("C:\\DISC\\VIDEO_TS") == ExecuteSucceeded; }, "正常終了しました."};
}

Operation RestoreOn(const TempFolder& drive) {
  return {"restore",
          [&drive] {
            LayOut(drive);
            MessageRecorder quiet;
            ASSERT_EQ(Execute("C:\\DISC\\VIDEO_TS"), ExecuteSucceeded);
          },
          [] { return RestoreOriginalBackup("C:\\DISC\\VIDEO_TS"); }, "元のIFOファイルを復元しました."};
}

TEST_F(FaultInjection, ExecuteLeavesTheOldDiscOrTheNewOne) { EveryFaultPoint(ExecuteOn(drive_)); }

TEST_F(FaultInjection, RestoreLeavesThePatchedDiscOrTheOriginal) { EveryFaultPoint(RestoreOn(drive_)); }

TEST_F(FaultInjection, KilledRunsAreFinishedByTheNextCommand) {
  EveryKillPoint(ExecuteOn(drive_));
  EveryKillPoint(RestoreOn(drive_));
  // A replacement that fails sends the set back; killed while undoing, it
  // is undone by the next command.
  Operation locked = ExecuteOn(drive_);
  locked.name = "execute, VTS_01_0.IFO not replaceable";
  EveryKillPoint(locked, "C:\\DISC\\VIDEO_TS\\VTS_01_0.IFO");
}

}  // namespace
