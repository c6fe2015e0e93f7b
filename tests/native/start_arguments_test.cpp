#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/start_arguments.h"

namespace vistelle {
namespace {

TEST(StartArguments, ExactlyHideIsAHiddenStartASlashOrDashACommand) {
  struct Case {
    std::vector<std::string> arguments;
    StartKind kind;
  };
  const Case cases[] = {
      {{"hide"}, StartKind::kHidden},      {{}, StartKind::kNormal},
      {{"HIDE"}, StartKind::kNormal},      {{" hide"}, StartKind::kNormal},
      {{"hide", "now"}, StartKind::kNormal}, {{"hide "}, StartKind::kNormal},
      {{""}, StartKind::kNormal},          {{"/next"}, StartKind::kCommand},
      {{"-pause"}, StartKind::kCommand},   {{"/category", "Sea"}, StartKind::kCommand},
      {{"hide", "/next"}, StartKind::kNormal},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.arguments) shown += "[" + a + "]";
    EXPECT_EQ(KindOfStart(c.arguments), c.kind) << shown;
  }
}

}  // namespace
}  // namespace vistelle
