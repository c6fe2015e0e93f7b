// Rows handed on on a second thread: the sink gets every row in order,
// whatever the decoder's memory; a decode that stops early neither hangs
// nor leaves the thread; what the sink throws comes out at the end.
#include <cstring>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "image/row_pipeline.h"
#include "tests/native/streamed_rows.h"

namespace vistelle {
namespace {

// A picture large enough for the second thread, every row different.
constexpr std::uint32_t kWidth = 1031, kHeight = 1025;

std::uint8_t Value(std::uint32_t n, std::size_t i) { return static_cast<std::uint8_t>(n * 7 + i * 13); }

// Puts rows [0, end): even rows written into the sink's memory, odd ones
// from memory of the decoder's own (not lasting), every third of those as
// lasting memory.
void Feed(RowSink& sink, std::uint32_t end, std::vector<std::vector<std::uint8_t>>& own) {
  own.assign(kHeight, std::vector<std::uint8_t>(kWidth * 3));
  for (std::uint32_t n = 0; n < end; ++n) {
    std::vector<std::uint8_t>& mine = own[n];
    for (std::size_t i = 0; i < mine.size(); ++i) mine[i] = Value(n, i);
    if (n % 2 == 0) {
      const RowMemory m = sink.Memory(n);
      std::memcpy(m.bgr, mine.data(), mine.size());
      sink.Put(n, {m.bgr, nullptr, false});
    } else {
      sink.Put(n, {mine.data(), nullptr, n % 3 == 0});
      if (n % 3 != 0) std::memset(mine.data(), 0, mine.size());  // the decoder's next row
    }
  }
}

TEST(RowPipeline, EveryRowReachesTheSinkInOrder) {
  RecordingSink recorded(RowSpan{0, 0});
  RowPipeline pipeline(recorded);
  ASSERT_TRUE(pipeline.Begin({kWidth, kHeight, false, false, false}));
  std::vector<std::vector<std::uint8_t>> own;
  Feed(pipeline, kHeight, own);
  ASSERT_TRUE(pipeline.Finish());
  EXPECT_EQ(recorded.finishes, 1);
  EXPECT_FALSE(recorded.out_of_order);
  ASSERT_EQ(recorded.rows.size(), kHeight);
  for (std::uint32_t n = 0; n < kHeight; ++n) {
    const std::vector<std::uint8_t>& row = recorded.rows[n].bgr;
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < row.size(); ++i) wrong += row[i] != Value(n, i);
    ASSERT_EQ(wrong, 0u) << "row " << n;
  }
}

TEST(RowPipeline, AnEarlyEndAndAThrowingSink) {
  // The decoder fails half way: the pipeline goes without a Finish.
  for (int round = 0; round < 20; ++round) {
    RecordingSink recorded(RowSpan{0, 0});
    std::vector<std::vector<std::uint8_t>> own;
    {
      RowPipeline pipeline(recorded);
      ASSERT_TRUE(pipeline.Begin({kWidth, kHeight, false, false, false}));
      Feed(pipeline, static_cast<std::uint32_t>(round * 40), own);
    }
    EXPECT_EQ(recorded.finishes, 0);
  }
  struct Throwing : RowSink {
    bool Begin(const PictureShape&) override { return true; }
    RowSpan Wanted() const override { return {0, kHeight}; }
    RowMemory Memory(std::uint32_t) override { return {row.data(), nullptr}; }
    void Put(std::uint32_t n, const SourceRow&) override {
      if (n == 100) throw std::bad_alloc();
    }
    std::vector<std::uint8_t> row = std::vector<std::uint8_t>(kWidth * 3);
  } throwing;
  RowPipeline pipeline(throwing);
  ASSERT_TRUE(pipeline.Begin({kWidth, kHeight, false, false, false}));
  std::vector<std::vector<std::uint8_t>> own;
  Feed(pipeline, kHeight, own);
  EXPECT_THROW(pipeline.Finish(), std::bad_alloc);
}

}  // namespace
}  // namespace vistelle
