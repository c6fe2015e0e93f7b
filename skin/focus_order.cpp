#include "skin/focus_order.h"

#include <algorithm>
#include <tuple>

namespace vistelle {

std::vector<std::size_t> FocusOrder(const std::vector<ControlRect>& controls) {
  std::vector<std::size_t> by_left(controls.size());
  for (std::size_t i = 0; i < by_left.size(); ++i) by_left[i] = i;
  std::stable_sort(by_left.begin(), by_left.end(),
                   [&controls](std::size_t a, std::size_t b) { return controls[a].left < controls[b].left; });

  // From the left, a control starts a new column when no control of the
  // column so far reaches past its left edge (touching is not overlapping).
  std::vector<std::size_t> order;
  order.reserve(controls.size());
  auto top_to_bottom = [&controls](std::size_t a, std::size_t b) {
    return std::tie(controls[a].top, controls[a].left, a) < std::tie(controls[b].top, controls[b].left, b);
  };
  std::size_t column_start = 0;
  int column_right = 0;
  for (std::size_t k = 0; k <= by_left.size(); ++k) {
    const bool new_column = k == by_left.size() || (k > column_start && controls[by_left[k]].left >= column_right);
    if (new_column && k > column_start) {
      std::vector<std::size_t> column(by_left.begin() + static_cast<std::ptrdiff_t>(column_start),
                                      by_left.begin() + static_cast<std::ptrdiff_t>(k));
      std::sort(column.begin(), column.end(), top_to_bottom);
      order.insert(order.end(), column.begin(), column.end());
      column_start = k;
    }
    if (k == by_left.size()) break;
    const ControlRect& control = controls[by_left[k]];
    const int right = std::max(control.left, control.right);
    column_right = k == column_start ? right : std::max(column_right, right);
  }
  return order;
}

}  // namespace vistelle
