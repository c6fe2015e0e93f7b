#include "library/background_scan.h"

#include <new>
#include <system_error>
#include <utility>

namespace vistelle {

BackgroundScan::~BackgroundScan() {
  Cancel();
  if (worker_.joinable()) worker_.join();
}

bool BackgroundScan::Start(std::unique_ptr<FolderListing> listing, std::vector<std::string> paths,
                           std::vector<std::string> present, std::function<void()> done) {
  if (started_) return false;
  listing_ = std::move(listing);
  paths_ = std::move(paths);
  present_ = std::move(present);
  done_ = std::move(done);
  control_.cancel = false;
  control_.found = 0;
  result_ = ScanResult();
  started_ = true;
  try {
    worker_ = std::thread(&BackgroundScan::Run, this);
  } catch (const std::system_error&) {
    Run();
  }
  return true;
}

void BackgroundScan::Run() {
  try {
    result_ = ScanForPictures(*listing_, paths_, present_, &control_);
  } catch (const std::bad_alloc&) {
    // Too many names for the memory left: what was found is gone too, and
    // the folder counts as unreadable.
    result_ = ScanResult();
    result_.skipped.unreadable = 1;
  }
  if (done_) done_();
}

ScanResult BackgroundScan::Finish() {
  if (!started_) return ScanResult();
  if (worker_.joinable()) worker_.join();
  started_ = false;
  listing_.reset();
  done_ = nullptr;
  return std::move(result_);
}

}  // namespace vistelle
