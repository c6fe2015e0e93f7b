// The order in which Tab walks the controls of a skinned window, from where
// the skin puts them.
//
// The controls fall into columns: two controls share a column when their
// horizontal extents overlap, directly or through other controls of it.
// Columns go from left to right; within a column the controls go from top
// to bottom, those with the same top from left to right, and those at the
// same place in the order they were given in.
//
// On the default skin this walks the left panel (the three change buttons,
// Settings, About) and then the right one (minimize and hide, the category
// list and its buttons, the picture list and its buttons).
#pragma once

#include <cstddef>
#include <vector>

namespace vistelle {

// A control's place in its window; right and bottom are exclusive, as in
// the Windows RECT. A rectangle with right < left counts as no wider than
// its left edge.
struct ControlRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The indices of controls in the order Tab visits them.
std::vector<std::size_t> FocusOrder(const std::vector<ControlRect>& controls);

}  // namespace vistelle
