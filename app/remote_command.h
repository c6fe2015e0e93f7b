// Commands for the copy of the program that runs, from a second start
// ("Pictora.exe /next") or a script: the words on the command line, and the
// message that carries them to the running copy (WM_COPYDATA). What another
// process sends is untrusted: the message is read with the same care as the
// command line, and anything else is refused.
//
//   /next /previous /random   as the tray's "Set next wallpaper", "Set
//                             previous wallpaper", "Random wallpaper"
//   /pause /resume            the automatic changes stop, or go on
//   /show /close              the main window shown in front; the program ends
//   /category NAME            the category chosen as a click would, and its
//                             current picture made the wallpaper
// A dash serves as well as the slash, and the words are read in any case.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistelle {

enum class RemoteVerb { kNext, kPrevious, kRandom, kPause, kResume, kShow, kClose, kCategory };

struct RemoteCommand {
  RemoteVerb verb = RemoteVerb::kShow;
  std::string category;  // for kCategory
};

// The longest message the running copy takes.
constexpr std::size_t kMaxRemoteMessage = 1024;

// The command the arguments give (the program's name left out, the first
// argument beginning with '/' or '-'), or nothing with the reason in why
// ("unknown command /nxt", "/category needs the name of a category").
std::optional<RemoteCommand> CommandFromArguments(const std::vector<std::string>& arguments, std::string* why);

// The message for the running copy, and the reading of one: the verb's word,
// for a category a line end and the name (UTF-8, at most a category name
// long, no control characters). Nothing for anything else.
std::string EncodeRemoteCommand(const RemoteCommand& command);
std::optional<RemoteCommand> DecodeRemoteCommand(std::string_view message);

}  // namespace vistelle
