// What messages echo of the command line.
#include <gtest/gtest.h>

#include <string>

#include "runtime/messages.h"

namespace {

TEST(Shown, EchoesCommandLineTextOnOneShortLine) {
  struct Case {
    std::string text, shows;
  };
  const Case cases[] = {
      {"out.png", "out.png"},
      {"a\nb\tc\\d", "a\\nb\\tc\\\\d"},
      {"\x1b[2J", "\\x1b[2J"},
      {"\xff\xfe", "\\xff\\xfe"},
      {"\xc2\x9b", "\\u009b"},
      {"図形.png", "図形.png"},
      {std::string(40, 'a') + std::string(30, 'b') + "図",
       std::string(40, 'a') + "..." + std::string(19, 'b') + "図 [cut from 73 bytes]"},
  };
  for (const Case& c : cases) EXPECT_EQ(rt::shown(c.text), c.shows) << c.text;
  std::string huge(131000, 'k');
  EXPECT_LT(rt::shown(huge).size(), 100u);
}

}  // namespace
