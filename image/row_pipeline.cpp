#include "image/row_pipeline.h"

#include <cstring>
#include <system_error>

namespace vistelle {

RowPipeline::~RowPipeline() { Stop(true); }

bool RowPipeline::Begin(const PictureShape& shape) {
  Stop(true);
  if (!sink_.Begin(shape)) return false;
  wanted_ = sink_.Wanted();
  threaded_ = false;
  if (static_cast<std::uint64_t>(shape.width) * shape.height < kThreadedPixels ||
      std::thread::hardware_concurrency() < 2)
    return true;
  bgr_bytes_ = static_cast<std::size_t>(shape.width) * 3;
  alpha_bytes_ = shape.alpha ? shape.width : 0;
  bgr_.resize(bgr_bytes_ * kSlots);
  alpha_.resize(alpha_bytes_ * kSlots);
  head_ = tail_ = 0;
  ending_ = dropping_ = false;
  error_ = nullptr;
  try {
    worker_ = std::thread(&RowPipeline::Work, this);
    threaded_ = true;
  } catch (const std::system_error&) {
    // No thread to be had: the rows go on at once.
  }
  return true;
}

RowMemory RowPipeline::Memory(std::uint32_t n) {
  if (!threaded_) return sink_.Memory(n);
  std::unique_lock<std::mutex> lock(mutex_);
  taken_.wait(lock, [this] { return tail_ - head_ < kSlots; });
  const std::size_t slot = tail_ % kSlots;
  return {bgr_.data() + slot * bgr_bytes_, alpha_bytes_ != 0 ? alpha_.data() + slot * alpha_bytes_ : nullptr};
}

void RowPipeline::Put(std::uint32_t n, const SourceRow& row) {
  if (!threaded_) {
    sink_.Put(n, row);
    return;
  }
  const RowMemory memory = Memory(n);  // waits for a free slot
  Slot& slot = slots_[tail_ % kSlots];
  slot.n = n;
  if (row.lasting || row.bgr == memory.bgr) {
    slot.row = row;
  } else {
    // The decoder's own memory, written again with its next row.
    if (row.bgr != nullptr) std::memcpy(memory.bgr, row.bgr, bgr_bytes_);
    if (row.alpha != nullptr && memory.alpha != nullptr && row.alpha != memory.alpha)
      std::memcpy(memory.alpha, row.alpha, alpha_bytes_);
    slot.row = {memory.bgr, row.alpha != nullptr ? memory.alpha : nullptr, false};
  }
  slot.row.lasting = row.lasting;
  bool wake = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++tail_;
    wake = tail_ - head_ >= kBatch;
  }
  if (wake) put_.notify_one();
}

void RowPipeline::Work() {
  for (;;) {
    std::size_t from = 0, to = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      put_.wait(lock, [this] { return tail_ - head_ >= kBatch || ending_; });
      if (dropping_ || (head_ == tail_ && ending_)) return;
      from = head_;
      to = tail_;
    }
    // Every row that came meanwhile, without holding the lock.
    for (std::size_t i = from; i < to; ++i) {
      const Slot& slot = slots_[i % kSlots];
      if (!error_) {
        try {
          sink_.Put(slot.n, slot.row);
        } catch (...) {
          error_ = std::current_exception();
        }
      }
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      head_ = to;
    }
    taken_.notify_one();
  }
}

void RowPipeline::Stop(bool drop) {
  if (!worker_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    dropping_ = drop;
  }
  put_.notify_one();
  worker_.join();
}

bool RowPipeline::Finish() {
  if (threaded_) {
    Stop(false);
    threaded_ = false;
    if (error_) std::rethrow_exception(error_);
  }
  return sink_.Finish();
}

}  // namespace vistelle
