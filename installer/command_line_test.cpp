#include "installer/command_line.h"

#include <gtest/gtest.h>

namespace {

struct QuoteCase {
  const char* name;
  std::string argument;
  std::string expected;
};

TEST(QuoteArgument, FollowsTheWindowsParsingRules) {
  const QuoteCase cases[] = {
      {"plain", "192.168.1.5", "192.168.1.5"},
      {"empty", "", "\"\""},
      {"space", "C:\\My Games\\a.cia", "\"C:\\My Games\\a.cia\""},
      {"tab", "a\tb.cia", "\"a\tb.cia\""},
      {"quote", "a\"b", "\"a\\\"b\""},
      {"backslashes before a quote", "a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
      {"backslashes elsewhere stay single", "C:\\x y\\z.cia", "\"C:\\x y\\z.cia\""},
      {"trailing backslash, quoted", "C:\\x y\\", "\"C:\\x y\\\\\""},
      {"trailing backslashes, unquoted", "C:\\x\\\\", "C:\\x\\\\"},
      {"shell characters are plain", "a&b|c^d.cia", "a&b|c^d.cia"},
      {"shell characters with a space", "a & b.cia", "\"a & b.cia\""},
      // 乗 is 0x81 0x5C: its second byte is no backslash, so nothing is doubled.
      {"two-byte character ending in 0x5C, last", "x \x81\x5C", "\"x \x81\x5C\""},
      {"two-byte character ending in 0x5C, before a quote", "\x81\x5C\"", "\"\x81\x5C\\\"\""},
      {"real backslash after such a character", "x \x81\x5C\\", "\"x \x81\x5C\\\\\""},
      {"lone lead byte at the end", "x \x81", "\"x \x81\""},
  };
  for (const QuoteCase& c : cases) {
    EXPECT_EQ(QuoteArgument(c.argument), c.expected) << c.name;
  }
}

TEST(BuildCommandLine, QuotesTheProgramAndEachArgument) {
  EXPECT_EQ(BuildCommandLine("C:\\Program Files\\kit\\sockfilego.exe", {"10.0.0.2", "D:\\a b.cia", "D:\\c.cia"}),
            "\"C:\\Program Files\\kit\\sockfilego.exe\" 10.0.0.2 \"D:\\a b.cia\" D:\\c.cia");
  EXPECT_EQ(BuildCommandLine("C:\\s.exe", {}), "\"C:\\s.exe\"");
}

}  // namespace
