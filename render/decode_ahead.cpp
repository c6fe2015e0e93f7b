#include "render/decode_ahead.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "image/image_codecs.h"
#include "render/placement_sink.h"

namespace vistelle {

bool DecodeAhead::Job::operator==(const Job& other) const {
  return path == other.path && target.width == other.target.width && target.height == other.target.height &&
         target.cover == other.target.cover && width == other.width && height == other.height &&
         position == other.position && background == other.background;
}

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
        const Job& job = jobs_[i];
        Image& canvas = pictures_[i];
        if (canvas.CreateUninitialised(job.width, job.height)) {
          PlacementSink sink(canvas, job.position, job.background);
          loaded = DecodeImageFile(job.path, sink, job.target);
        }
        if (!loaded) canvas.Clear();
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

DecodeAhead::Taken DecodeAhead::Take(std::size_t index, const Job& job, Image& out) {
  if (index >= results_.size() || !results_[index].valid()) return Taken::kNotAhead;
  if (!(jobs_[index] == job)) return Taken::kNotAhead;
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
