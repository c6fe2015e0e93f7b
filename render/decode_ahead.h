// Pictures placed on a second thread while this one does other work: the
// pictures of the other monitors decode, each straight onto a canvas of its
// monitor's size, while the primary monitor's picture is decoded and
// composed. One worker places them in the order given; a canvas is taken as
// soon as it is done, each at most once. What waits is monitor-sized, never
// picture-sized. The canvases placed and not yet taken stay within a memory
// budget: beyond it the worker waits until one is taken (the first is
// always placed), so many large monitors are placed in turn rather than all
// at once.
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
    // The canvas: its size, and the position and background of the picture
    // on it (placement_sink.h).
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int position = 0;
    ColorRef background = 0;
    bool operator==(const Job& other) const;
  };
  enum class Taken { kNotAhead, kLoaded, kFailed };

  // Five canvases of a 3840x2160 monitor.
  static constexpr std::size_t kDefaultBudget = std::size_t{128} << 20;

  explicit DecodeAhead(std::size_t budget = kDefaultBudget) : budget_(budget) {}
  ~DecodeAhead() { Drop(); }
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Starts decoding the pictures (after dropping those of an earlier start).
  // Without a second thread they are decoded when taken.
  void Start(std::vector<Job> jobs);
  // The canvas placed for job index, if that job was started as this one
  // and not taken yet: waits for it, then kLoaded (out holds it) or kFailed
  // (the picture did not load; out is left alone). Otherwise kNotAhead.
  Taken Take(std::size_t index, const Job& job, Image& out);
  // Waits for the picture being placed, skips the rest and gives back
  // every canvas not taken.
  void Drop();
  bool Running() const { return worker_.joinable(); }
  // The bytes of the canvases placed and not taken.
  std::size_t HeldBytes() const;

 private:
  void Work();

  std::vector<Job> jobs_;
  std::vector<Image> pictures_;  // the placed canvases
  std::vector<std::promise<bool>> done_;
  std::vector<std::future<bool>> results_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
  const std::size_t budget_;
  mutable std::mutex mutex_;
  std::condition_variable taken_;  // a picture was taken, or the work stops
  std::size_t held_ = 0;           // under mutex_
  std::size_t largest_ = 0;        // the largest canvas placed, under mutex_
};

}  // namespace vistelle
