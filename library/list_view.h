// The two list boxes of the main window as the library sees them: an
// unsorted list of texts with at most one selected item. On Windows these are
// the real list boxes (list_box_view_win32.h); MemoryListView keeps the same
// rules in memory for the tests and the command-line tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vistelle {

class ListView {
 public:
  virtual ~ListView() = default;

  // The number of items.
  virtual std::int32_t Count() const = 0;
  // Adds the text as the last item (LB_INSERTSTRING at -1).
  virtual void Append(const std::string& text) = 0;
  // Inserts the text before the item at position; -1 or Count() appends.
  virtual void Insert(std::int32_t position, const std::string& text) = 0;
  // Removes the item at position (nothing for a position out of range).
  virtual void Remove(std::int32_t position) = 0;
  // The text of the item at position; empty for a position out of range.
  virtual std::string Text(std::int32_t position) const = 0;
  // Removes every item (LB_RESETCONTENT).
  virtual void Clear() = 0;
  // The selected position, -1 when nothing is selected (LB_GETCURSEL).
  virtual std::int32_t Selection() const = 0;
  // Selects the item at position; -1 or a position with no item leaves
  // nothing selected (LB_SETCURSEL).
  virtual void Select(std::int32_t position) = 0;
};

// A list box in memory, with the selection rules of a single-selection list
// box: removing the selected item leaves nothing selected, inserting or
// removing before it moves the selection with its item.
class MemoryListView final : public ListView {
 public:
  std::int32_t Count() const override { return static_cast<std::int32_t>(items_.size()); }
  void Append(const std::string& text) override { items_.push_back(text); }
  void Insert(std::int32_t position, const std::string& text) override;
  void Remove(std::int32_t position) override;
  std::string Text(std::int32_t position) const override;
  void Clear() override;
  std::int32_t Selection() const override { return selection_; }
  void Select(std::int32_t position) override;

  const std::vector<std::string>& Items() const { return items_; }

 private:
  bool InRange(std::int32_t position) const { return position >= 0 && position < Count(); }

  std::vector<std::string> items_;
  std::int32_t selection_ = -1;
};

}  // namespace vistelle
