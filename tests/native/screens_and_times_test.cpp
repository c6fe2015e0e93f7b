// The monitors' settings and the schedule in config.ini: names that come
// back exactly through the private-profile functions, hostile values read
// without harm, and a file that never had them left without them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "config/screens_and_times.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

TEST(ScreensAndTimes, WhatIsSavedLoadsTheSameAndHostileValuesLoadAsDefaults) {
  testing::TestDir dir;
  const auto store = MakeIniFileProfileStore();
  const std::string file = dir.File("config.ini");
  ScreensAndTimes saved;
  // Names the profile functions would change: blanks around, quotes, '%'.
  const std::vector<std::string> names = {" Night", "Day ", "\"Quoted\"", "'a'", "100% ", "Zażółć\tgęślą", "%41"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    MonitorChoice c;
    c.device = "\\\\?\\DISPLAY#DEL4109#5&1a2b&0&UID4353#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}";
    c.place = static_cast<std::int32_t>(i);
    c.category = names[i];
    c.position = static_cast<std::int32_t>(i % 5);
    c.background = static_cast<std::int32_t>(0x102030 * i);
    c.portrait = static_cast<std::int32_t>(i % 2);
    saved.monitors.push_back(c);
    saved.rules.push_back(ScheduleRule{names[i], DayTime{DayTime::Kind::kSunset, -45}, DayTime{DayTime::Kind::kClock, 7 * 60 + 5},
                                       static_cast<std::uint8_t>(0x1F >> (i % 3))});
  }
  saved.rules.push_back(ScheduleRule{"x", DayTime{DayTime::Kind::kSunrise, 720}, DayTime{DayTime::Kind::kSunrise, 0}, 0});
  saved.place = Place{true, -33.8688, 151.2093};
  ASSERT_TRUE(saved.Save(*store, file));
  ScreensAndTimes loaded;
  loaded.Load(*store, file);
  EXPECT_TRUE(loaded.monitors == saved.monitors);
  EXPECT_TRUE(loaded.rules == saved.rules);
  EXPECT_TRUE(loaded.place == saved.place) << loaded.place.latitude << " " << loaded.place.longitude;
  for (std::size_t i = 0; i < loaded.monitors.size(); ++i)
    EXPECT_EQ(loaded.monitors[i].category, saved.monitors[i].category);

  // Hostile values, each on its own: the entry or value is left out.
  struct Case {
    const char* section;
    const char* key;
    const char* value;
    std::size_t monitors, rules;
    bool place_known;
  };
  const Case cases[] = {
      {"monitors", "count", "2147483647", 64, 8, true},  // no more than 64 read
      {"monitors", "monitor2_place", "-5", 6, 8, true},
      {"monitors", "monitor2_place", "99999", 6, 8, true},
      {"schedule", "rules", "-1", 7, 0, true},
      {"schedule", "rule1_from", "25:00", 7, 7, true},
      {"schedule", "rule1_from", "sunset+721", 7, 7, true},
      {"schedule", "rule1_to", "7:5", 7, 7, true},
      {"schedule", "rule1_days", "MTWTFSX", 7, 7, true},
      {"schedule", "rule1_category", "", 7, 7, true},
      {"schedule", "rule1_category", "two%0Dlines", 7, 7, true},  // no category is named so
      {"schedule", "latitude", "91", 7, 8, false},
      {"schedule", "longitude", "12,5", 7, 8, false},
      {"schedule", "latitude", "1e3", 7, 8, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(saved.Save(*store, file));
    if (std::string(c.key) == "count") {
      for (int i = 8; i <= 70; ++i)
        store->WriteString(file, "monitors", "monitor" + std::to_string(i) + "_place", std::to_string(i % 64));
    }
    store->WriteString(file, c.section, c.key, c.value);
    loaded.Load(*store, file);
    EXPECT_EQ(loaded.monitors.size(), c.monitors) << c.key << "=" << c.value;
    EXPECT_EQ(loaded.rules.size(), c.rules) << c.key << "=" << c.value;
    EXPECT_EQ(loaded.place.known, c.place_known) << c.key << "=" << c.value;
  }
  // What was read is written back as it was read: degrees typed finer.
  store->WriteString(file, "schedule", "latitude", "69.649219999");
  loaded.Load(*store, file);
  ASSERT_TRUE(loaded.Save(*store, file));
  ScreensAndTimes again;
  again.Load(*store, file);
  EXPECT_TRUE(again == loaded) << again.place.latitude << " " << loaded.place.latitude;

  // Out of range within an entry: that value is the Options page's.
  ASSERT_TRUE(saved.Save(*store, file));
  store->WriteString(file, "monitors", "monitor2_position", "5");
  store->WriteString(file, "monitors", "monitor2_background", "256,0,0");
  store->WriteString(file, "monitors", "monitor2_portrait", "2");
  loaded.Load(*store, file);
  EXPECT_EQ(loaded.monitors[1].position, MonitorChoice::kOptionsPage);
  EXPECT_EQ(loaded.monitors[1].background, MonitorChoice::kOptionsPage);
  EXPECT_EQ(loaded.monitors[1].portrait, MonitorChoice::kOptionsPage);
}

TEST(ScreensAndTimes, AFileWithoutThemGetsNoSectionsAndMonitorsAreFoundAgain) {
  testing::TestDir dir;
  const auto store = MakeIniFileProfileStore();
  TConfig settings;
  settings.SetPath(dir.File("config.ini"));
  ASSERT_TRUE(settings.Save(*store));
  const std::string text = dir.Read("config.ini");
  EXPECT_EQ(text.find("[monitors]"), std::string::npos);
  EXPECT_EQ(text.find("[schedule]"), std::string::npos);

  ScreensAndTimes s;
  s.FindOrAdd("A", 1).position = 2;
  s.FindOrAdd("", 2).position = 3;
  s.FindOrAdd("B", 2).position = 4;
  EXPECT_EQ(s.Find("A", 1)->position, 2);
  EXPECT_EQ(s.Find("A", 3), nullptr);  // another monitor now has that name too
  EXPECT_EQ(s.Find("A", 3, true)->position, 2);  // the only one of that name, moved
  EXPECT_EQ(s.Find("", 2)->position, 3);  // the composer's monitors, by place
  EXPECT_EQ(s.Find("", 1)->position, 2);
  EXPECT_EQ(s.Find("C", 2), nullptr);
}

}  // namespace
}  // namespace vistelle
