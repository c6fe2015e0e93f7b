#include "render/decode_ahead.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

namespace vistelle {

void DecodeAhead::Start(std::vector<Job> jobs) {
  Drop();
  if (jobs.empty()) return;
  jobs_ = std::move(jobs);
  pictures_.resize(jobs_.size());
  done_.resize(jobs_.size());
  for (std::promise<bool>& done : done_) results_.push_back(done.get_future());
  stop_ = false;
  try {
    worker_ = std::thread(&DecodeAhead::Work, this);
  } catch (const std::system_error&) {
    // No thread to be had: nothing is ahead, each picture decodes when
    // its monitor is composed.
    jobs_.clear();
    pictures_.clear();
    done_.clear();
    results_.clear();
  }
}

namespace {

std::size_t BytesOf(const Image& image) {
  const std::size_t pixels = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight();
  return image.Stride() * image.GetHeight() + (image.HasAlpha() ? pixels : 0);
}

}  // namespace

std::size_t DecodeAhead::HeldBytes() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

void DecodeAhead::Work() {
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    {
      // Another picture as large as the largest so far would go over the
      // budget: wait until one is taken.
      std::unique_lock<std::mutex> lock(mutex_);
      taken_.wait(lock, [this] { return stop_ || held_ == 0 || held_ + largest_ <= budget_; });
    }
    bool loaded = false;
    if (!stop_) {
      try {
        loaded = pictures_[i].Load(jobs_[i].path, jobs_[i].target);
      } catch (const std::exception&) {
        pictures_[i].Clear();  // out of memory: as a picture that did not load
      }
    }
    if (loaded) {
      const std::lock_guard<std::mutex> lock(mutex_);
      const std::size_t bytes = BytesOf(pictures_[i]);
      held_ += bytes;
      largest_ = std::max(largest_, bytes);
    }
    done_[i].set_value(loaded);
  }
}

DecodeAhead::Taken DecodeAhead::Take(std::size_t index, const std::string& path, const DecodeTarget& target,
                                     Image& out) {
  if (index >= results_.size() || !results_[index].valid()) return Taken::kNotAhead;
  const Job& job = jobs_[index];
  if (job.path != path || job.target.width != target.width || job.target.height != target.height ||
      job.target.cover != target.cover)
    return Taken::kNotAhead;
  const bool loaded = results_[index].get();
  if (!loaded) return Taken::kFailed;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    held_ -= BytesOf(pictures_[index]);
    out.Swap(pictures_[index]);
    pictures_[index].Clear();
  }
  taken_.notify_one();
  return Taken::kLoaded;
}

void DecodeAhead::Drop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  taken_.notify_one();
  if (worker_.joinable()) worker_.join();
  held_ = 0;
  largest_ = 0;
  jobs_.clear();
  pictures_.clear();
  done_.clear();
  results_.clear();
}

}  // namespace vistelle
