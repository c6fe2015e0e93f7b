// Pictures decoded on a second thread while this one does other work: the
// pictures of the other monitors decode while the primary monitor's picture
// is decoded and composed. One worker decodes them in the order given; a
// picture is taken as soon as it is done, each at most once. The pictures
// decoded and not yet taken stay within a memory budget: beyond it the
// worker waits until one is taken (the first is always decoded), so many
// large monitors decode in turn rather than all at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "image/decode_target.h"
#include "image/image.h"

namespace vistelle {

class DecodeAhead {
 public:
  struct Job {
    std::string path;
    DecodeTarget target;
  };
  enum class Taken { kNotAhead, kLoaded, kFailed };

  static constexpr std::size_t kDefaultBudget = std::size_t{512} << 20;

  explicit DecodeAhead(std::size_t budget = kDefaultBudget) : budget_(budget) {}
  ~DecodeAhead() { Drop(); }
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Starts decoding the pictures (after dropping those of an earlier start).
  // Without a second thread they are decoded when taken.
  void Start(std::vector<Job> jobs);
  // The picture decoded for job index, if that job was started for this path
  // and target and not taken yet: waits for it, then kLoaded (out holds it)
  // or kFailed (it did not load; out is left alone). Otherwise kNotAhead.
  Taken Take(std::size_t index, const std::string& path, const DecodeTarget& target, Image& out);
  // Waits for the picture being decoded, skips the rest and gives back
  // every picture not taken.
  void Drop();
  bool Running() const { return worker_.joinable(); }
  // The bytes of the pictures decoded and not taken.
  std::size_t HeldBytes() const;

 private:
  void Work();

  std::vector<Job> jobs_;
  std::vector<Image> pictures_;
  std::vector<std::promise<bool>> done_;
  std::vector<std::future<bool>> results_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
  const std::size_t budget_;
  mutable std::mutex mutex_;
  std::condition_variable taken_;  // a picture was taken, or the work stops
  std::size_t held_ = 0;           // under mutex_
  std::size_t largest_ = 0;        // the largest picture decoded, under mutex_
};

}  // namespace vistelle
