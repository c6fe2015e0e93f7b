#include "library/list_view.h"

namespace vistelle {

void MemoryListView::Insert(std::int32_t position, const std::string& text) {
  if (position < 0 || position > Count()) position = Count();
  items_.insert(items_.begin() + position, text);
  if (selection_ >= position) ++selection_;
}

void MemoryListView::Remove(std::int32_t position) {
  if (!InRange(position)) return;
  items_.erase(items_.begin() + position);
  if (selection_ == position) selection_ = -1;
  else if (selection_ > position) --selection_;
}

std::string MemoryListView::Text(std::int32_t position) const {
  return InRange(position) ? items_[static_cast<std::size_t>(position)] : std::string();
}

void MemoryListView::Clear() {
  items_.clear();
  selection_ = -1;
}

void MemoryListView::Select(std::int32_t position) { selection_ = InRange(position) ? position : -1; }

}  // namespace vistelle
