// Project files: the refusal of every file that could not be used safely,
// and a save that fails leaving the old project.
#include "persist/project_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "disc/disc_state.h"
#include "tests/unit/file_size_limit.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

void SetLe32(Bytes& b, std::size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }

// A saved 2 x 2-title disc; every refused file leaves the state as it was,
// apart from ProjectPath.
TEST(Project, RefusedFilesLeaveTheStateAsItWas) {
  TempFolder temp;
  std::memset(&Disc, 0, sizeof Disc);
  testdisc::WriteDisc(temp.host(), testdisc::SimpleDisc(2, 2));
  MessageRecorder messages;
  ASSERT_EQ(GetInfo("C:\\", 0, 0), FolderRead);
  ASSERT_TRUE(SaveProjectFile("C:\\p.prj"));
  const Bytes good = temp.ReadFile("p.prj");
  Disc.PresetIndex = 6;  // the state a refused file must leave alone
  const Bytes before(reinterpret_cast<uint8_t*>(&Disc), reinterpret_cast<uint8_t*>(&Disc + 1));

  auto set = [](std::size_t at, int32_t value) { return [at, value](Bytes& f) { SetLe32(f, at, value); }; };
  const std::string content = "プロジェクトの内容が異常です（";
  const struct {
    std::function<void(Bytes&)> change;
    std::string message;  // a part of the message
  } cases[] = {
      {[](Bytes& f) { f.resize(8398127); }, "プロジェクトの読み込みでエラーが発生しました."},
      {[](Bytes& f) { f[11] = '3'; }, "プロジェクトの形式が異常です.\n異なるバージョン"},
      {set(576, 16), content + "レジスタ番号"},
      {[](Bytes& f) { SetLe32(f, 568, 5), SetLe32(f, 564, 1); }, content + "表示ページ"},  // 5 rows a page
      {set(8396524 + 8, 4), content + "ジャンプ先タイトル"},
      {set(4201292 + 0xC4, 0x7F000000), "VIDEO_TS.IFOが異常です"},  // the title table outside the file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Bytes file = good;
    c.change(file);
    messages.Clear();
    EXPECT_FALSE(LoadProjectBytes(file.data(), file.size()));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_NE(messages.messages()[0].text.find(c.message), std::string::npos) << messages.messages()[0].text;
    EXPECT_TRUE(Bytes(reinterpret_cast<uint8_t*>(&Disc), reinterpret_cast<uint8_t*>(&Disc + 1)) == before);
  }
  EXPECT_TRUE(RunsWithFileSizeLimit(1 << 20, [] {
    MessageRecorder full;
    return !SaveProjectFile("C:\\p.prj") &&
           full.messages().back().text == "プロジェクトの書き込みでエラーが発生しました.";
  }));
  EXPECT_EQ(temp.ReadFile("p.prj"), good);
  EXPECT_FALSE(temp.Exists("p.prj.rwtmp"));
}

}  // namespace
