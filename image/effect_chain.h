// Image effects run one after another over an image, row by row from the
// top (its last row) down, each row going through every effect while it is
// still in the cache. The rows can also be handed over as they are made (a
// canvas being placed, on the thread that places it): Advance(n) says the
// top n rows are final, and each effect goes as far as the rows above and
// below it allow. Either way the image ends as if each effect had run over
// all of it in turn, noise included: the chain takes the noise generator's
// state when it starts and leaves it where those runs would have.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "image/image.h"
#include "image/row_effect.h"

namespace vistelle {

class EffectChain {
 public:
  // Effects run in the order added. False for a second effect that draws
  // noise, which one run of the generator cannot serve.
  bool Add(RowEffect effect);
  bool Empty() const { return stages_.empty(); }

  // The chain starts on the image, whose size stays as it is until the
  // chain is finished or cancelled.
  void Start(Image& image);
  // From the image's first rows again, as they are placed anew.
  void Restart();
  // The top `rows` rows of the image are final.
  void Advance(std::uint32_t rows);
  // Every row is final: the effects are done.
  void Finish() { Advance(height_); }
  bool Finished() const { return image_ != nullptr && made_told_ == height_; }
  // The image is not to be finished: the generator goes back to where the
  // chain found it.
  void Cancel();

  // Start, the rows one at a time, Finish.
  void Run(Image& image);

  // Told, on the thread that advances the chain, how many rows from the
  // top every effect has made whenever that grows (for a chain without
  // effects, the rows that are final); 0 after a restart.
  void OnRowsMade(std::function<void(std::uint32_t rows)> made) { made_ = std::move(made); }

 private:
  struct Stage {
    explicit Stage(RowEffect e) : effect(std::move(e)) {}
    RowEffect effect;
    std::uint32_t done = 0;  // rows from the top this effect has made
    // Filters: the unchanged rows above, at and below the next row, padded.
    std::vector<std::uint8_t> lines;
    std::vector<std::uint16_t> columns;
    int above = 0;  // which of the three lines holds the row above
  };
  void MakeRow(Stage& stage, std::uint32_t y);

  std::vector<Stage> stages_;
  std::function<void(std::uint32_t)> made_;
  std::uint32_t made_told_ = 0;  // rows every effect has made
  Image* image_ = nullptr;
  std::uint32_t width_ = 0, height_ = 0;
  bool noise_ = false;
  std::uint64_t noise_start_ = 0;  // the generator's state when the chain took it
  std::uint64_t noise_end_ = 0;    // and when the run is over
  std::uint64_t noise_row_ = 0;    // the state at the next row's first draw
  NoiseJump back_;                 // one row's draws back
};

}  // namespace vistelle
