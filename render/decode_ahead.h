// Pictures decoded on a second thread while this one does other work: the
// pictures of the other monitors decode while the primary monitor's picture
// is decoded and composed. One worker decodes them in the order given; a
// picture is taken as soon as it is done, each at most once.
#pragma once

#include <atomic>
#include <cstddef>
#include <future>
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

  DecodeAhead() = default;
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

 private:
  void Work();

  std::vector<Job> jobs_;
  std::vector<Image> pictures_;
  std::vector<std::promise<bool>> done_;
  std::vector<std::future<bool>> results_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

}  // namespace vistelle
