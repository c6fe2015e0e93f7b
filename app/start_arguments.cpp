#include "app/start_arguments.h"

namespace vistelle {

StartKind KindOfStart(const std::vector<std::string>& arguments) {
  if (arguments.size() == 1 && arguments[0] == "hide") return StartKind::kHidden;
  if (!arguments.empty() && !arguments[0].empty() && (arguments[0][0] == '/' || arguments[0][0] == '-'))
    return StartKind::kCommand;
  return StartKind::kNormal;
}

}  // namespace vistelle
