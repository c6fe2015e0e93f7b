// The commands another process may send the running copy: the bytes as the
// message of WM_COPYDATA, and split at NULs as a command line's arguments.
// Besides crashes and sanitizer reports, a command that does not read back
// as itself once sent, or a message longer than the receiver takes, is a
// finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/remote_command.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void RoundTrip(const vistelle::RemoteCommand& command) {
  const std::string message = vistelle::EncodeRemoteCommand(command);
  Check(!message.empty() && message.size() <= vistelle::kMaxRemoteMessage);
  const auto back = vistelle::DecodeRemoteCommand(message);
  Check(back.has_value());
  Check(back->verb == command.verb && back->category == command.category);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto command = vistelle::DecodeRemoteCommand(bytes)) RoundTrip(*command);

  std::vector<std::string> arguments;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      arguments.emplace_back(bytes.substr(start, i - start));
      start = i + 1;
    }
  }
  std::string why;
  if (const auto command = vistelle::CommandFromArguments(arguments, &why)) RoundTrip(*command);
  else Check(!why.empty());
  return 0;
}
