// A list view brought to show what the session holds: the items that stay
// keep their place, so a change costs only what changed.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/list_view.h"

namespace vistelle {
namespace {

std::vector<std::string> Split(const std::string& letters) {
  std::vector<std::string> items;
  for (char c : letters) items.emplace_back(1, c);
  return items;
}

TEST(ShownList, ChangesOnlyWhatChangedAndKeepsTheSelection) {
  struct Case {
    const char* before;
    const char* after;
    int selection;
    int changes;  // insertions, removals and clears
  };
  const Case cases[] = {
      {"ABCD", "ABCD", 2, 0},  {"ABCD", "BACD", 0, 2},  // two neighbours exchanged
      {"ABCD", "BCDA", 3, 2},  {"ABCD", "DABC", 0, 2},  // one end to the other
      {"ABCD", "ABD", -1, 1},  {"ABCD", "ABCDEF", 1, 2},  {"ABCD", "", -1, 1},
      {"", "ABC", 0, 3},       {"ABCD", "AXYD", 1, 4},
      {"ABCDEFGHIJKLMNOPQR", "RQPONMLKJIHGFEDCBA", 5, 1 + 18},  // all new: cleared and filled
  };
  for (const Case& c : cases) {
    MemoryListView view;
    ShownList shown(view);
    shown.Show(Split(c.before), 0);
    const int before = view.Changes();
    shown.Show(Split(c.after), c.selection);
    EXPECT_EQ(view.Items(), Split(c.after)) << c.before << " -> " << c.after;
    EXPECT_EQ(view.Selection(), c.selection) << c.before << " -> " << c.after;
    EXPECT_EQ(view.Changes() - before, c.changes) << c.before << " -> " << c.after;
  }
}

}  // namespace
}  // namespace vistelle
