// Rows handed on to a sink on a second thread, so that a decoder goes on
// with the next rows while the sink resamples and copies the last ones: a
// large picture's change then takes about as long as its decode alone. The
// rows wait in a ring of a few rows; the sink sees them in the order they
// were put, as not lasting. Small pictures, and a system without a second
// core or thread, are handed on at once, on the decoder's thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "image/row_sink.h"

namespace vistelle {

class RowPipeline final : public RowSink {
 public:
  explicit RowPipeline(RowSink& sink) : sink_(sink) {}
  // A decode that failed: the rows still waiting are dropped.
  ~RowPipeline() override;
  RowPipeline(const RowPipeline&) = delete;
  RowPipeline& operator=(const RowPipeline&) = delete;

  bool Begin(const PictureShape& shape) override;
  RowSpan Wanted() const override { return wanted_; }
  RowMemory Memory(std::uint32_t n) override;
  void Put(std::uint32_t n, const SourceRow& row) override;
  // Waits until the sink has every row, then finishes it. An exception the
  // sink threw on the second thread comes out here.
  bool Finish() override;

  // Pictures of fewer pixels go on at once.
  static constexpr std::uint64_t kThreadedPixels = std::uint64_t{1} << 20;

 private:
  static constexpr std::size_t kSlots = 64;
  // The sink is woken for rows a few at a time: waking a thread for every
  // row costs the decoder's thread more than the rows' handing on.
  static constexpr std::size_t kBatch = 4;
  void Work();
  void Stop(bool drop);

  RowSink& sink_;
  RowSpan wanted_;
  bool threaded_ = false;
  std::size_t bgr_bytes_ = 0, alpha_bytes_ = 0;
  std::vector<std::uint8_t> bgr_, alpha_;  // kSlots rows each
  struct Slot {
    std::uint32_t n = 0;
    SourceRow row;  // where the row is: the slot's memory, or lasting memory of the decoder's
  };
  Slot slots_[kSlots];
  // Slots [head_, tail_) (counted without wrapping) hold rows put and not
  // yet handed on; slot tail_ is the decoder's to write.
  std::size_t head_ = 0, tail_ = 0;  // under mutex_
  bool ending_ = false, dropping_ = false;  // under mutex_
  std::exception_ptr error_;               // the worker's, read after it ended
  std::mutex mutex_;
  std::condition_variable put_, taken_;
  std::thread worker_;
};

}  // namespace vistelle
