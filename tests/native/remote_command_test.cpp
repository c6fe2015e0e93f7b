// Commands for the running copy: from the command line, and the message that
// carries them, which another process writes and is read as untrusted.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/remote_command.h"

namespace vistelle {
namespace {

TEST(RemoteCommand, TheArgumentsGiveOneCommandOrTheReasonWhyNot) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message;  // what goes to the running copy; nullptr: refused with why
    const char* why;
  };
  const std::string long_name(255, 'n');
  const std::string long_why = "\"" + long_name + "\" cannot be the name of a category";
  const Case cases[] = {
      {{"/next"}, "next", ""},
      {{"-PREVIOUS"}, "previous", ""},
      {{"/Random"}, "random", ""},
      {{"/pause"}, "pause", ""},
      {{"/resume"}, "resume", ""},
      {{"/show"}, "show", ""},
      {{"/close"}, "close", ""},
      {{"/category", "Sea and sky"}, "category\nSea and sky", ""},
      {{"/category", u8"\u017b\u00f3\u0142wie"}, u8"category\n\u017b\u00f3\u0142wie", ""},
      {{"/nxt"}, nullptr, "unknown command /nxt"},
      {{"/"}, nullptr, "no command"},
      {{"next"}, nullptr, "no command"},
      {{"/next", "now"}, nullptr, "/next takes nothing after it"},
      {{"/category"}, nullptr, "/category needs the name of one category"},
      {{"/category", "A", "B"}, nullptr, "/category needs the name of one category"},
      {{"/category", ""}, nullptr, "\"\" cannot be the name of a category"},
      {{"/category", "two\nlines"}, nullptr, "\"two\nlines\" cannot be the name of a category"},
      {{"/category", long_name}, nullptr, long_why.c_str()},
  };
  for (const Case& c : cases) {
    std::string why;
    const std::optional<RemoteCommand> command = CommandFromArguments(c.arguments, &why);
    ASSERT_EQ(command.has_value(), c.message != nullptr) << c.arguments[0] << ": " << why;
    if (command) {
      EXPECT_EQ(EncodeRemoteCommand(*command), c.message);
      // What is sent reads back as the same command.
      const std::optional<RemoteCommand> back = DecodeRemoteCommand(EncodeRemoteCommand(*command));
      ASSERT_TRUE(back.has_value());
      EXPECT_EQ(back->verb, command->verb);
      EXPECT_EQ(back->category, command->category);
    } else {
      EXPECT_EQ(why, c.why);
    }
  }
}

TEST(RemoteCommand, AMessageThatIsNoCommandIsRefused) {
  const std::string too_long = "category\n" + std::string(1100, 'x');
  for (const std::string& message :
       {std::string(), std::string("nexts"), std::string("next\n"), std::string("next\nmore"), std::string("category"),
        std::string("category\n"), std::string("category\nbad\xFF"), std::string("category\nA\tB"),
        std::string("next\0", 5), too_long, std::string("\ncategory")}) {
    EXPECT_FALSE(DecodeRemoteCommand(message).has_value()) << message;
  }
  EXPECT_TRUE(DecodeRemoteCommand("NEXT").has_value());
}

}  // namespace
}  // namespace vistelle
