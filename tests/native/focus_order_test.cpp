// The order of Tab over a skinned window's controls.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skin/focus_order.h"

namespace vistelle {
namespace {

struct Control {
  std::string name;
  ControlRect rect;
};

TEST(FocusOrder, ColumnsLeftToRightEachTopToBottom) {
  struct Case {
    const char* what;
    std::vector<Control> controls;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, {}},
      {"a row, given from the right",
       {{"c", {40, 0, 50, 10}}, {"b", {20, 0, 30, 10}}, {"a", {0, 0, 10, 10}}},
       {"a", "b", "c"}},
      {"a grid of two columns",
       {{"right bottom", {20, 20, 30, 30}}, {"left bottom", {0, 20, 10, 30}}, {"right top", {20, 0, 30, 10}},
        {"left top", {0, 0, 10, 10}}},
       {"left top", "left bottom", "right top", "right bottom"}},
      {"overlaps chain into one column",
       {{"low", {18, 40, 30, 50}}, {"middle", {8, 20, 20, 30}}, {"high", {0, 0, 10, 10}}},
       {"high", "middle", "low"}},
      {"a wide control joins the columns it spans",
       {{"b", {20, 0, 30, 10}}, {"wide", {0, 20, 30, 30}}, {"a", {0, 0, 10, 10}}, {"apart", {40, 0, 50, 10}}},
       {"a", "b", "wide", "apart"}},
      {"touching edges do not overlap",
       {{"second", {10, 0, 20, 10}}, {"first", {0, 5, 10, 15}}},
       {"first", "second"}},
      {"the same top goes left to right within a column",
       {{"right", {5, 0, 15, 10}}, {"left", {0, 0, 10, 10}}, {"below", {0, 10, 10, 20}}},
       {"left", "right", "below"}},
      {"at the same place, as given",
       {{"one", {0, 0, 10, 10}}, {"two", {0, 0, 10, 10}}, {"three", {0, 0, 10, 10}}},
       {"one", "two", "three"}},
      {"an inside-out rectangle is as wide as nothing",
       {{"after", {6, 0, 9, 10}}, {"odd", {5, 20, -100, 10}}, {"first", {0, 0, 5, 10}}},
       {"first", "odd", "after"}},
  };
  for (const Case& c : cases) {
    std::vector<ControlRect> rects;
    for (const Control& control : c.controls) rects.push_back(control.rect);
    std::vector<std::string> order;
    for (std::size_t i : FocusOrder(rects)) order.push_back(c.controls.at(i).name);
    EXPECT_EQ(order, c.expected) << c.what;
  }
}

}  // namespace
}  // namespace vistelle
