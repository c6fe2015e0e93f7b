// Pictures placed on a second thread, in both builds (under Wine through
// WIC on a thread of its own): the same canvas as a placement on this thread,
// a failure kept apart from a picture that was never started, and a drop
// while the worker is busy.
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "render/composition.h"
#include "render/decode_ahead.h"
#include "render/placement_sink.h"
#include "image/image.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

std::string Fixture(const char* name) { return std::string(VISTELLE_SOURCE_DIR) + "/tests/data/" + name; }

// The picture at path on a canvas of 97 x 61 in the position, on green.
DecodeAhead::Job MakeJob(const std::string& path, DecodeTarget target = {}, int position = kPositionCenter) {
  DecodeAhead::Job job;
  job.path = path;
  job.target = target;
  job.width = 97;
  job.height = 61;
  job.position = position;
  job.background = MakeColorRef(30, 160, 90);
  return job;
}

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
      MakeJob(Fixture("quadrants_640x400.jpg"), {160, 100, true}, kPositionFill),  // scaled where the decoder can
      MakeJob(dir.File("gone.jpg")),
      MakeJob(Fixture("ref_rgba.png"), {}, kPositionFit),
      MakeJob(Fixture("quadrants_640x400_turned.jpg")),
  };
  DecodeAhead ahead;
  ahead.Start(jobs);
  ASSERT_TRUE(ahead.Running());

  // Taken out of order, and the failed one apart from one never started.
  for (std::size_t i : {std::size_t{3}, std::size_t{0}, std::size_t{2}}) {
    SCOPED_TRACE(jobs[i].path);
    Image taken;
    ASSERT_EQ(ahead.Take(i, jobs[i], taken), DecodeAhead::Taken::kLoaded);
    Image picture, here;
    ASSERT_TRUE(picture.Load(jobs[i].path, jobs[i].target));
    ASSERT_TRUE(here.Create(97, 61));
    PlacementSink::FillBackground(here, jobs[i].position, jobs[i].background);
    PlacePicture(here, picture, jobs[i].position);
    EXPECT_TRUE(SamePixels(taken, here));
    // Once only.
    Image again;
    EXPECT_EQ(ahead.Take(i, jobs[i], again), DecodeAhead::Taken::kNotAhead);
    EXPECT_FALSE(again.IsValid());
  }
  Image none;
  EXPECT_EQ(ahead.Take(1, jobs[1], none), DecodeAhead::Taken::kFailed);
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(ahead.Take(4, jobs[0], none), DecodeAhead::Taken::kNotAhead);
}

TEST(DecodeAhead, APictureAskedForAnotherPathOrSizeIsNotTaken) {
  const std::string path = Fixture("quadrants_640x400.jpg");
  const DecodeAhead::Job job = MakeJob(path, {160, 100, true}, kPositionFill);
  DecodeAhead ahead;
  ahead.Start({job});
  Image out;
  std::vector<DecodeAhead::Job> others(7, job);
  others[0].path = Fixture("ref.jpg");
  others[1].target.cover = false;
  others[2].target.width = 320;
  others[3].target = {};
  others[4].width = 96;
  others[5].position = kPositionFit;
  others[6].background = 0;
  for (const DecodeAhead::Job& other : others) EXPECT_EQ(ahead.Take(0, other, out), DecodeAhead::Taken::kNotAhead);
  EXPECT_FALSE(out.IsValid());
  EXPECT_EQ(ahead.Take(0, job, out), DecodeAhead::Taken::kLoaded);
  EXPECT_TRUE(out.IsValid());
}

TEST(DecodeAhead, ADropOrANewStartForgetsWhatWasStarted) {
  const std::string jpeg = Fixture("quadrants_640x400.jpg");
  const std::string png = Fixture("ref.png");
  DecodeAhead ahead;
  for (int round = 0; round < 20; ++round) {
    // Dropped at once, while the worker is still at the first picture.
    ahead.Start(std::vector<DecodeAhead::Job>(8, MakeJob(jpeg)));
    ahead.Drop();
    EXPECT_FALSE(ahead.Running());
    Image out;
    EXPECT_EQ(ahead.Take(0, MakeJob(jpeg), out), DecodeAhead::Taken::kNotAhead);
  }
  ahead.Start({MakeJob(jpeg), MakeJob(jpeg)});
  ahead.Start({MakeJob(png)});  // the first start's pictures go
  Image out;
  EXPECT_EQ(ahead.Take(0, MakeJob(jpeg), out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(1, MakeJob(jpeg), out), DecodeAhead::Taken::kNotAhead);
  EXPECT_EQ(ahead.Take(0, MakeJob(png), out), DecodeAhead::Taken::kLoaded);
  // Nothing to decode starts no thread.
  ahead.Start({});
  EXPECT_FALSE(ahead.Running());
}

// Beyond the budget the worker waits until a canvas is taken: with room
// for about one, never two are held, and a canvas is all that is held.
TEST(DecodeAhead, PicturesBeyondTheBudgetDecodeInTurn) {
  const std::string jpeg = Fixture("quadrants_640x400.jpg");
  Image one;
  ASSERT_TRUE(one.Create(97, 61));
  const std::size_t bytes = one.Stride() * one.GetHeight();
  DecodeAhead ahead(bytes + bytes / 2);
  ahead.Start(std::vector<DecodeAhead::Job>(3, MakeJob(jpeg)));
  for (std::size_t i = 0; i < 3; ++i) {
    // Room for one: the worker holds one picture and waits.
    for (int wait = 0; wait < 500 && ahead.HeldBytes() == 0; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ahead.HeldBytes(), bytes) << i;
    Image out;
    EXPECT_EQ(ahead.Take(i, MakeJob(jpeg), out), DecodeAhead::Taken::kLoaded);
  }
  EXPECT_EQ(ahead.HeldBytes(), 0u);
}

}  // namespace
}  // namespace vistelle
