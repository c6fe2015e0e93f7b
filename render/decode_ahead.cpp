#include "render/decode_ahead.h"

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

void DecodeAhead::Work() {
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    bool loaded = false;
    if (!stop_) {
      try {
        loaded = pictures_[i].Load(jobs_[i].path, jobs_[i].target);
      } catch (const std::exception&) {
        pictures_[i].Clear();  // out of memory: as a picture that did not load
      }
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
  out.Swap(pictures_[index]);
  pictures_[index].Clear();
  return Taken::kLoaded;
}

void DecodeAhead::Drop() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
  jobs_.clear();
  pictures_.clear();
  done_.clear();
  results_.clear();
}

}  // namespace vistelle
