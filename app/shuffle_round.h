// One round of random changes without repeats: the pictures of the current
// category not yet shown since the round began. A round ends once every
// picture has been shown; the next pick begins a new one. A round belongs to
// one category as it stood when the round began: another category, or the
// same one with pictures added, removed or moved, begins a new round. The
// round lives in memory only. Pictures are told apart by their paths, so a
// file that stands twice in a category is one picture on the desktop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistelle {

class ShuffleRound {
 public:
  // A position drawn uniformly below n (n > 0).
  using Draw = std::function<std::int32_t(std::int32_t n)>;

  // Makes the round the one of category (its position in the library) with
  // these pictures. The first call, a call after Restart, and one with
  // another category or other pictures (their number and a hash of the
  // paths in order differ) begin a new round.
  void Follow(std::int32_t category, const std::vector<std::string>& pictures);
  // Ends the round; the next Follow begins a new one.
  void Restart();

  // Counts the picture at position as shown in this round. When every
  // picture has been shown the next round begins first, and the picture
  // counts for it; but the picture last counted, shown again, counts once.
  void MarkShown(std::int32_t position);

  // Draws one of the pictures not yet shown in this round and counts it as
  // shown. pictures are those Follow was last given, and not empty. While
  // another picture is left, the pick is never one whose path is
  // desktop_path (nullptr: none known), the picture on the desktop.
  //
  // With accept, up to tries pictures are drawn so, and the first that it
  // accepts is the pick (the others stay in the round); when it accepts
  // none, the first drawn is.
  using Accept = std::function<bool(std::int32_t position)>;
  std::int32_t Pick(const std::vector<std::string>& pictures, const std::string* desktop_path, const Draw& draw,
                    const Accept& accept = nullptr, int tries = 1);

  // The number of pictures left before the round ends.
  std::int32_t Left() const { return static_cast<std::int32_t>(remaining_.size()); }

 private:
  void Begin();
  void Take(std::int32_t position);

  bool begun_ = false;
  std::int32_t category_ = -1;
  std::size_t count_ = 0;
  std::uint64_t hash_ = 0;
  std::int32_t last_ = -1;  // the position counted last
  // Positions not yet shown, in no order, and where each position stands
  // among them (-1 once shown).
  std::vector<std::int32_t> remaining_;
  std::vector<std::int32_t> slot_;
};

}  // namespace vistelle
