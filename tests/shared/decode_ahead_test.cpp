// Pictures decoded on a second thread, in both builds (under Wine through
// WIC on a thread of its own): the same pixels as a decode on this thread,
// a failure kept apart from a picture that was never started, and a drop
// while the worker is busy.
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "render/decode_ahead.h"
#include "image/image.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

std::string Fixture(const char* name) { return std::string(VISTELLE_SOURCE_DIR) + "/tests/data/" + name; }

bool SamePixels(const Image& a, const Image& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.HasAlpha() != b.HasAlpha()) return false;
  for (std::uint32_t y = 0; y < a.GetHeight(); ++y) {
    if (std::memcmp(a.Bits() + y * a.Stride(), b.Bits() + y * b.Stride(), a.GetWidth() * 3u) != 0) return false;
  }
  return true;
}

TEST(DecodeAhead, GivesWhatADecodeHereGivesEachPictureOnce) {
  testing::TestDir dir;
  const std::vector<DecodeAhead::Job> jobs = {
      {Fixture("quadrants_640x400.jpg"), {160, 100, true}},  // scaled where the decoder can
      {dir.File("gone.jpg"), {}},
      {Fixture("ref_rgba.png"), {}},
      {Fixture("quadrants_640x400_turned.jpg"), {}},
  };
  DecodeAhead ahead;
  ahead.Start(jobs);
  ASSERT_TRUE(ahead.Running());

  // Taken out of order, and the failed one apart from one never started.
  for (std::size_t i : {std::size_t{3}, std::size_t{0}, std::size_t{2}}) {
    SCOPED_TRACE(jobs[i].path);
    Image taken;
    ASSERT_EQ(ahead.Take(i, jobs[i].path, jobs[i].target, taken), DecodeAhead::Taken::kLoaded);
    Image here;
    ASSERT_TRUE(here.Load(jobs[i].path, jobs[i].target));
    EXPECT_TRUE(SamePixels(taken, here));
    // Once only.
    Image again;
    EXPECT_EQ(ahead.Take(i, jobs[i].path, jobs[i].target, again), DecodeAhead::Taken::kNotAhead);
    EXPECT_FALSE(again.IsValid());
  }
  Image none;
  EXPECT_EQ(ahead.Take(1, jobs[1].path, jobs[1].target, none), DecodeAhead::Taken::kFailed);
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(ahead.Take(4, jobs[0].path, jobs[0].target, none), DecodeAhead::Taken::kNotAhead);
}

TEST(DecodeAhead, APictureAskedForAnotherPathOrSizeIsNotTaken) {
  const std::string path = Fixture("quadrants_640x400.jpg");
  DecodeAhead ahead;
  ahead.Start({{path, {160, 100, true}}});
  Image out;
  EXPECT_EQ(ahead.Take(0, Fixture("ref.jpg"), {160, 100, true}, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(0, path, {160, 100, false}, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(0, path, {320, 100, true}, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(0, path, {}, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_FALSE(out.IsValid());
  EXPECT_EQ(ahead.Take(0, path, {160, 100, true}, out), DecodeAhead::Taken::kLoaded);
  EXPECT_TRUE(out.IsValid());
}

TEST(DecodeAhead, ADropOrANewStartForgetsWhatWasStarted) {
  const std::string jpeg = Fixture("quadrants_640x400.jpg");
  const std::string png = Fixture("ref.png");
  DecodeAhead ahead;
  for (int round = 0; round < 20; ++round) {
    // Dropped at once, while the worker is still at the first picture.
    ahead.Start(std::vector<DecodeAhead::Job>(8, DecodeAhead::Job{jpeg, {}}));
    ahead.Drop();
    EXPECT_FALSE(ahead.Running());
    Image out;
    EXPECT_EQ(ahead.Take(0, jpeg, {}, out), DecodeAhead::Taken::kNotAhead);
  }
  ahead.Start({{jpeg, {}}, {jpeg, {}}});
  ahead.Start({{png, {}}});  // the first start's pictures go
  Image out;
  EXPECT_EQ(ahead.Take(0, jpeg, {}, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(1, jpeg, {}, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(0, png, {}, out), DecodeAhead::Taken::kLoaded);
  // Nothing to decode starts no thread.
  ahead.Start({});
  EXPECT_FALSE(ahead.Running());
}

// Beyond the budget the worker waits until a picture is taken: with room
// for about one picture, never two are held.
TEST(DecodeAhead, PicturesBeyondTheBudgetDecodeInTurn) {
  const std::string jpeg = Fixture("quadrants_640x400.jpg");
  Image one;
  ASSERT_TRUE(one.Load(jpeg));
  const std::size_t bytes = one.Stride() * one.GetHeight();
  DecodeAhead ahead(bytes + bytes / 2);
  ahead.Start(std::vector<DecodeAhead::Job>(3, DecodeAhead::Job{jpeg, {}}));
  for (std::size_t i = 0; i < 3; ++i) {
    // Room for one: the worker holds one picture and waits.
    for (int wait = 0; wait < 500 && ahead.HeldBytes() == 0; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ahead.HeldBytes(), bytes) << i;
    Image out;
    EXPECT_EQ(ahead.Take(i, jpeg, {}, out), DecodeAhead::Taken::kLoaded);
  }
  EXPECT_EQ(ahead.HeldBytes(), 0u);
}

}  // namespace
}  // namespace vistelle
