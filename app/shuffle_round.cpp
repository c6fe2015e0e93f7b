#include "app/shuffle_round.h"

#include <cassert>

namespace vistelle {

namespace {

// FNV-1a over the paths, each ended by a zero (no path holds one). Reading
// every path costs no more than the picture list's refill at each change.
std::uint64_t HashOf(const std::vector<std::string>& pictures) {
  std::uint64_t hash = 14695981039346656037ull;
  const auto mix = [&hash](unsigned char c) {
    hash ^= c;
    hash *= 1099511628211ull;
  };
  for (const std::string& path : pictures) {
    for (const char c : path) mix(static_cast<unsigned char>(c));
    mix(0);
  }
  return hash;
}

}  // namespace

void ShuffleRound::Follow(std::int32_t category, const std::vector<std::string>& pictures) {
  const std::uint64_t hash = HashOf(pictures);
  if (begun_ && category == category_ && pictures.size() == count_ && hash == hash_) return;
  category_ = category;
  count_ = pictures.size();
  hash_ = hash;
  last_ = -1;
  Begin();
}

void ShuffleRound::Restart() {
  begun_ = false;
  last_ = -1;
  remaining_.clear();
  slot_.clear();
}

void ShuffleRound::Begin() {
  begun_ = true;
  remaining_.resize(count_);
  slot_.resize(count_);
  for (std::size_t i = 0; i < count_; ++i) {
    remaining_[i] = static_cast<std::int32_t>(i);
    slot_[i] = static_cast<std::int32_t>(i);
  }
}

void ShuffleRound::Take(std::int32_t position) {
  const std::int32_t slot = slot_[static_cast<std::size_t>(position)];
  if (slot < 0) return;
  // The last position not yet shown moves into the gap.
  const std::int32_t moved = remaining_.back();
  remaining_[static_cast<std::size_t>(slot)] = moved;
  slot_[static_cast<std::size_t>(moved)] = slot;
  remaining_.pop_back();
  slot_[static_cast<std::size_t>(position)] = -1;
  last_ = position;
}

void ShuffleRound::MarkShown(std::int32_t position) {
  if (!begun_ || position < 0 || static_cast<std::size_t>(position) >= count_) return;
  // The picture shown last, shown again (the change after its pick), is
  // not shown anew: also not when it ended the round.
  if (position == last_) return;
  if (remaining_.empty()) Begin();
  Take(position);
}

std::int32_t ShuffleRound::Pick(const std::vector<std::string>& pictures, const std::string* desktop_path,
                                const Draw& draw, const Accept& accept, int tries) {
  assert(begun_ && pictures.size() == count_ && count_ > 0);
  if (remaining_.empty()) Begin();
  const auto on_desktop = [&](std::int32_t position) {
    return desktop_path != nullptr && pictures[static_cast<std::size_t>(position)] == *desktop_path;
  };
  std::int32_t candidates = 0;
  for (const std::int32_t position : remaining_)
    if (!on_desktop(position)) ++candidates;
  // Only the picture on the desktop is left: it comes again, as the round
  // must end before the next one begins.
  const bool avoid = candidates > 0;
  if (!avoid) candidates = Left();

  const auto drawn = [&] {
    std::int32_t wanted = draw(candidates);
    for (const std::int32_t position : remaining_) {
      if (avoid && on_desktop(position)) continue;
      if (wanted-- == 0) return position;
    }
    assert(false);
    return remaining_.front();
  };
  const std::int32_t first = drawn();
  std::int32_t chosen = first;
  for (int t = 1; accept && !accept(chosen); ++t) {
    if (t >= tries) {
      chosen = first;
      break;
    }
    chosen = drawn();
  }
  Take(chosen);
  return chosen;
}

}  // namespace vistelle
