#include "app/remote_command.h"

#include "library/library_text.h"
#include "library/wallpaper_library.h"

namespace vistelle {

namespace {

struct Word {
  const char* text;
  RemoteVerb verb;
};
constexpr Word kWords[] = {
    {"next", RemoteVerb::kNext},   {"previous", RemoteVerb::kPrevious}, {"random", RemoteVerb::kRandom},
    {"pause", RemoteVerb::kPause}, {"resume", RemoteVerb::kResume},     {"show", RemoteVerb::kShow},
    {"close", RemoteVerb::kClose}, {"category", RemoteVerb::kCategory},
};

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    if (c != b[i]) return false;
  }
  return true;
}

std::optional<RemoteVerb> VerbOf(std::string_view word) {
  for (const Word& w : kWords)
    if (SameWord(word, w.text)) return w.verb;
  return std::nullopt;
}

const char* WordOf(RemoteVerb verb) {
  for (const Word& w : kWords)
    if (w.verb == verb) return w.text;
  return "";
}

// A name a category can have: text, no control characters, not too long.
bool SaneName(std::string_view name) {
  if (name.empty() || !IsValidUtf8(name) || Utf16Length(name) > WallpaperLibrary::kMaxNameLength) return false;
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

}  // namespace

std::optional<RemoteCommand> CommandFromArguments(const std::vector<std::string>& arguments, std::string* why) {
  const auto refuse = [why](std::string reason) -> std::optional<RemoteCommand> {
    if (why != nullptr) *why = std::move(reason);
    return std::nullopt;
  };
  if (arguments.empty() || arguments[0].size() < 2 || (arguments[0][0] != '/' && arguments[0][0] != '-'))
    return refuse("no command");
  const std::optional<RemoteVerb> verb = VerbOf(std::string_view(arguments[0]).substr(1));
  if (!verb) return refuse("unknown command " + arguments[0]);
  RemoteCommand command;
  command.verb = *verb;
  if (*verb == RemoteVerb::kCategory) {
    if (arguments.size() != 2) return refuse(arguments[0] + " needs the name of one category");
    if (!SaneName(arguments[1])) return refuse("\"" + arguments[1] + "\" cannot be the name of a category");
    command.category = arguments[1];
  } else if (arguments.size() != 1) {
    return refuse(arguments[0] + " takes nothing after it");
  }
  return command;
}

std::string EncodeRemoteCommand(const RemoteCommand& command) {
  std::string message = WordOf(command.verb);
  if (command.verb == RemoteVerb::kCategory) message += "\n" + command.category;
  return message;
}

std::optional<RemoteCommand> DecodeRemoteCommand(std::string_view message) {
  if (message.empty() || message.size() > kMaxRemoteMessage) return std::nullopt;
  const std::size_t line = message.find('\n');
  const std::optional<RemoteVerb> verb = VerbOf(message.substr(0, line));
  if (!verb) return std::nullopt;
  RemoteCommand command;
  command.verb = *verb;
  if (*verb == RemoteVerb::kCategory) {
    if (line == std::string_view::npos) return std::nullopt;
    const std::string_view name = message.substr(line + 1);
    if (!SaneName(name)) return std::nullopt;
    command.category = std::string(name);
  } else if (line != std::string_view::npos) {
    return std::nullopt;
  }
  return command;
}

}  // namespace vistelle
