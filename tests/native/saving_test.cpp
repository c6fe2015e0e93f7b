// What saving leaves behind and when it stops: the temporary files a kill
// can leave, which start-up removes, and the end of the session, after which
// nothing is written.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "app/leftovers.h"
#include "base/file_io.h"
#include "base/write_stop.h"
#include "config/profile_store.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

TEST(SavingLeftovers, StartRemovesOnlyWhatTheProgramsOwnSavingLeaves) {
  testing::TestDir dir;
  const char* ours[] = {"config.ini.saving", "config.ini.saving.tmp", "config.ini.tmp", "pictora.txt.tmp",
                        "pictora.bmp.tmp"};
  const char* others[] = {"config.ini", "pictora.txt", "pictora.bmp", "notes.tmp", "holiday.jpg.tmp",
                          "other.ini.saving"};
  for (const char* name : ours) dir.Write(name, "half");
  for (const char* name : others) dir.Write(name, "whole");
  EXPECT_EQ(RemoveSavingLeftovers(dir.Path()), 5);
  for (const char* name : ours) EXPECT_FALSE(FileExists(dir.File(name))) << name;
  for (const char* name : others) EXPECT_EQ(dir.Read(name), "whole") << name;
  EXPECT_EQ(RemoveSavingLeftovers(dir.Path()), 0);
}

// The stop lasts for the rest of the process, so it is tried in a child.
TEST(WriteStopDeathTest, AfterTheEndOfTheSessionNothingIsWritten) {
  testing::TestDir dir;
  dir.Write("config.ini", "[setting]\r\nkey=saved\r\n");
  const std::string config = dir.File("config.ini");
  const std::string fresh = dir.File("fresh.txt");
  EXPECT_EXIT(
      {
        StopWrites();
        const bool replaced = WriteFileReplacing(fresh, "x", 1);
        const bool key = MakeIniFileProfileStore()->WriteString(config, "setting", "key", "later");
        std::exit(WritesStopped() && !replaced && !key ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_FALSE(FileExists(fresh));
  EXPECT_EQ(dir.Read("config.ini"), "[setting]\r\nkey=saved\r\n");
  EXPECT_FALSE(WritesStopped());
}

}  // namespace
}  // namespace vistelle
