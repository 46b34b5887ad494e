// Execute and restore, once per fault point: each call of the seam on the way
// (every open, write, flush, close, replacement, removal, folder made,
// renamed or synced) fails in turn, then genuine failures (a full disk, a
// folder where a temporary goes). After each, the disc folder holds the disc
// as before or exactly as a successful run leaves it, the backup is whole or
// absent, nothing of ours is left behind, and whoever was left with the old
// disc was told so and never told of success.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
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

  TempFolder drive_{'C', access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"};
};

TEST_F(FaultInjection, ExecuteLeavesTheOldDiscOrTheNewOne) {
  Operation execute{"execute", [this] { LayOut(drive_); },
                    [] { return Execute("C:\\DISC\\VIDEO_TS") == ExecuteSucceeded; }, "正常終了しました."};
  EveryFaultPoint(execute);
}

TEST_F(FaultInjection, RestoreLeavesThePatchedDiscOrTheOriginal) {
  Operation restore{"restore",
                    [this] {
                      LayOut(drive_);
                      MessageRecorder quiet;
                      ASSERT_EQ(Execute("C:\\DISC\\VIDEO_TS"), ExecuteSucceeded);
                    },
                    [] { return RestoreOriginalBackup("C:\\DISC\\VIDEO_TS"); },
                    "元のIFOファイルを復元しました."};
  EveryFaultPoint(restore);
}

}  // namespace
