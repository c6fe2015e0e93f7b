// A folder scan on a thread of its own, so that dropping C:\ or an offline
// share keeps the window answering: it can be asked how far it has come,
// be cancelled, and tells when it is done through a callback (which runs on
// the worker: it should only post a message).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/folder_listing.h"
#include "library/folder_scan.h"

namespace vistelle {

class BackgroundScan {
 public:
  BackgroundScan() = default;
  ~BackgroundScan();
  BackgroundScan(const BackgroundScan&) = delete;
  BackgroundScan& operator=(const BackgroundScan&) = delete;

  // Scans the paths as ScanForPictures does, present being the pictures
  // there already; done is called once the result is ready. Without a
  // thread to be had the scan runs here, done included. False while another
  // scan has not been finished.
  bool Start(std::unique_ptr<FolderListing> listing, std::vector<std::string> paths,
             std::vector<std::string> present, std::function<void()> done);
  // Started and not finished yet.
  bool Started() const { return started_; }
  // Pictures found so far.
  std::size_t Found() const { return control_.found; }
  // Asks the scan to stop; it ends with what it has found.
  void Cancel() { control_.cancel = true; }
  // Waits for the scan to end and gives its result.
  ScanResult Finish();

 private:
  void Run();

  std::unique_ptr<FolderListing> listing_;
  std::vector<std::string> paths_;
  std::vector<std::string> present_;
  std::function<void()> done_;
  ScanControl control_;
  ScanResult result_;
  std::thread worker_;
  bool started_ = false;
};

}  // namespace vistelle
