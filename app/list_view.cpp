#include "app/list_view.h"

#include <algorithm>
#include <utility>

namespace vistelle {

void MemoryListView::Insert(std::int32_t position, const std::string& text) {
  if (position < 0 || position > static_cast<std::int32_t>(items_.size()))
    position = static_cast<std::int32_t>(items_.size());
  items_.insert(items_.begin() + position, text);
  if (selection_ >= position) ++selection_;
  ++changes_;
}

void MemoryListView::Remove(std::int32_t position) {
  if (position < 0 || position >= static_cast<std::int32_t>(items_.size())) return;
  items_.erase(items_.begin() + position);
  if (selection_ == position) selection_ = -1;
  else if (selection_ > position) --selection_;
  ++changes_;
}

void MemoryListView::Clear() {
  items_.clear();
  selection_ = -1;
  ++changes_;
}

void MemoryListView::Select(std::int32_t position) {
  selection_ = position >= 0 && position < static_cast<std::int32_t>(items_.size()) ? position : -1;
}

namespace {

// Lists at least this long are cleared and filled again, when most of
// them changes, with the drawing held.
constexpr std::size_t kManyChanges = 16;

}  // namespace

void ShownList::Show(std::vector<std::string> items, std::int32_t selection) {
  const std::size_t old_size = items_.size(), new_size = items.size();
  std::size_t start = 0;
  while (start < old_size && start < new_size && items_[start] == items[start]) ++start;
  std::size_t end = 0;  // items alike at the end, after start
  while (end < old_size - start && end < new_size - start &&
         items_[old_size - 1 - end] == items[new_size - 1 - end])
    ++end;
  const auto at = [](std::size_t i) { return static_cast<std::int32_t>(i); };
  const std::size_t old_rest = old_size - start - end, new_rest = new_size - start - end;

  const bool rotated_up = old_rest == new_rest && old_rest > 1 && items_[start] == items[start + new_rest - 1] &&
                          std::equal(items.begin() + at(start), items.begin() + at(start + new_rest - 1),
                                     items_.begin() + at(start + 1));
  const bool rotated_down = !rotated_up && old_rest == new_rest && old_rest > 1 &&
                            items_[start + old_rest - 1] == items[start] &&
                            std::equal(items_.begin() + at(start), items_.begin() + at(start + old_rest - 1),
                                       items.begin() + at(start + 1));
  if (rotated_up) {
    view_.Remove(at(start));
    view_.Insert(at(start + new_rest - 1), items[start + new_rest - 1]);
  } else if (rotated_down) {
    view_.Remove(at(start + old_rest - 1));
    view_.Insert(at(start), items[start]);
  } else if (new_rest + old_rest > 0) {
    const bool many = old_rest + new_rest > kManyChanges;
    if (many) view_.HoldDrawing(true);
    if (start == 0 && end == 0 && (many || new_rest == 0)) {
      view_.Clear();
    } else {
      for (std::size_t i = old_rest; i > 0; --i) view_.Remove(at(start + i - 1));
    }
    for (std::size_t i = 0; i < new_rest; ++i) view_.Insert(at(start + i), items[start + i]);
    if (many) view_.HoldDrawing(false);
  }
  items_ = std::move(items);
  Select(selection);
}

void ShownList::Select(std::int32_t selection) {
  // Set every time: a click may have moved the list's own selection.
  if (selection < 0 || selection >= static_cast<std::int32_t>(items_.size())) selection = -1;
  selection_ = selection;
  view_.Select(selection);
}

}  // namespace vistelle
