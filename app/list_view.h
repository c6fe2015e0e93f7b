// The two list boxes of the main window as views of the session: a list
// shows what the session says it holds, and ShownList brings it there with
// as few insertions and removals as it takes, so that the items that stay
// keep their place on screen. On Windows the view is the real list box
// (list_box_view_win32.h); MemoryListView keeps the same rules in memory for
// the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vistelle {

class ListView {
 public:
  virtual ~ListView() = default;

  // Inserts the text before the item at position; Count() appends.
  virtual void Insert(std::int32_t position, const std::string& text) = 0;
  // Removes the item at position.
  virtual void Remove(std::int32_t position) = 0;
  // Removes every item.
  virtual void Clear() = 0;
  // Selects the item at position; -1 leaves nothing selected.
  virtual void Select(std::int32_t position) = 0;
  // Around many changes in a row: the list is drawn once, afterwards.
  virtual void HoldDrawing(bool /*hold*/) {}
};

// A list in memory with the selection rules of a single-selection list box:
// removing the selected item leaves nothing selected, inserting or removing
// before it moves the selection with its item.
class MemoryListView final : public ListView {
 public:
  void Insert(std::int32_t position, const std::string& text) override;
  void Remove(std::int32_t position) override;
  void Clear() override;
  void Select(std::int32_t position) override;

  const std::vector<std::string>& Items() const { return items_; }
  std::int32_t Selection() const { return selection_; }
  // Insertions, removals and clears so far.
  int Changes() const { return changes_; }

 private:
  std::vector<std::string> items_;
  std::int32_t selection_ = -1;
  int changes_ = 0;
};

// What a view shows, and the smallest change that brings it to show other
// items: the common start and end stay, and an item moved from one end of
// the rest to the other (a picture moved up from the top, or down from the
// bottom) is one removal and one insertion.
class ShownList {
 public:
  explicit ShownList(ListView& view) : view_(view) {}

  void Show(std::vector<std::string> items, std::int32_t selection);
  // The same items, another selection (-1: none).
  void Select(std::int32_t selection);

  const std::vector<std::string>& Items() const { return items_; }
  std::int32_t Selection() const { return selection_; }

 private:
  ListView& view_;
  std::vector<std::string> items_;
  std::int32_t selection_ = -1;
};

}  // namespace vistelle
