#include <string>

#include <gtest/gtest.h>

#include "app/tray_tip.h"
#include "library/library_text.h"

namespace vistelle {
namespace {

// Change mode 1, every 10 minutes, 3 minutes gone.
TConfig Timed() {
  TConfig settings;
  settings.zmiana_tapety_co = 1;
  settings.godz_sek = 1;
  settings.co_ile_sek_godz = 10;
  settings.second_counter = 3;
  return settings;
}

TEST(TrayTip, NamesThePictureAndTheNextChangeWhenTheTimerChangesIt) {
  const TConfig timed = Timed();
  TConfig at_start = Timed();
  at_start.zmiana_tapety_co = 0;
  EXPECT_EQ(TrayTipText("C:\\P\\sea.jpg", timed, true), "Vistelle\nsea.jpg\nNext change in 7 min.");
  EXPECT_EQ(TrayTipText("C:\\P\\sea.jpg", timed, false), "Vistelle\nsea.jpg");
  EXPECT_EQ(TrayTipText("C:\\P\\sea.jpg", at_start, true), "Vistelle\nsea.jpg");
  EXPECT_EQ(TrayTipText("", timed, true), "Vistelle\nNext change in 7 min.");
  TConfig paused = Timed();
  paused.paused = 1;
  EXPECT_EQ(TrayTipText("C:\\P\\sea.jpg", paused, true), "Vistelle\nsea.jpg\nPaused");
}

TEST(TrayTip, ANameTooLongIsCutAtACharacterAndTheOtherLinesStayWhole) {
  const std::string head = "Vistelle\n";
  const std::string tail = "\nNext change in 7 min.";
  const std::size_t room = kTrayTipBytes - 1 - head.size() - tail.size();
  // A name that just fits stays whole; one byte more and it is cut.
  EXPECT_EQ(TrayTipText("C:\\" + std::string(room, 'n'), Timed(), true), head + std::string(room, 'n') + tail);
  EXPECT_EQ(TrayTipText("C:\\" + std::string(room + 1, 'n'), Timed(), true),
            head + std::string(room - 3, 'n') + "..." + tail);

  // Two-, three- and four-byte characters, at every offset against the cut.
  for (const std::string lead : {"", "a", "ab", "abc"}) {
    std::string name = lead;
    for (int i = 0; i < 20; ++i) name += "\xC5\xBC\xE2\x82\xAC\xF0\x9F\x98\x80";  // ż € 😀
    for (const bool timed : {true, false}) {
      TConfig settings = Timed();
      settings.zmiana_tapety_co = timed ? 1 : 0;
      const std::string tip = TrayTipText("D:\\Zdj\xC4\x99" "cia\\" + name, settings, true);
      EXPECT_LT(tip.size(), kTrayTipBytes);
      EXPECT_GT(tip.size(), kTrayTipBytes - 5);  // no more than a character short
      EXPECT_TRUE(IsValidUtf8(tip));
      EXPECT_EQ(tip.substr(0, head.size()), head);
      const std::string end = timed ? tail : "";
      ASSERT_EQ(tip.substr(tip.size() - end.size()), end);
      const std::string shown = tip.substr(head.size(), tip.size() - head.size() - end.size());
      ASSERT_EQ(shown.substr(shown.size() - 3), "...");
      EXPECT_EQ(name.substr(0, shown.size() - 3), shown.substr(0, shown.size() - 3));
    }
  }
}

}  // namespace
}  // namespace vistelle
