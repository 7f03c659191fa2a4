#include "text/text_ops.h"

#include <gtest/gtest.h>

namespace {

struct FindCase {
  std::string text, target;
  int start;
  int expected;
};

TEST(FindText, FollowsTheCharacterWalk) {
  const FindCase cases[] = {
      {"abc", "a", 0, 1},
      {"abc", "c", 0, 3},
      {"abc", "d", 0, -1},
      {"abc", "abcd", 0, -1},
      {"abc", "A", 0, -1},
      {"", "a", 0, -1},
      {"abc", "", 0, 1},
      {"", "", 0, -1},
      {"abcabc", "a", 2, 4},
      {"abcabc", "a", 0, 1},
      {"abcabc", "a", -5, 1},
      {"abcabc", "c", 6, 6},
      {"abcabc", "c", 7, -1},
      {"abcabc", "", 7, -1},
      {"abcabc", "", 4, 1},  // an empty target gives 1, not start
      // A match on the second byte of a two-byte character is passed over.
      {"\x81" "ABA", "A", 0, 4},
      {"\x81" "ABA", "AB", 0, -1},
      {"A\x81" "A", "\x81" "A", 0, 2},
      // The walk starts at start itself, even inside a two-byte character.
      {"\x81" "ABA", "A", 2, 2},
      // Runs of two-byte characters: odd offsets inside a run are trail bytes.
      {"\xB0\xB1\xB2\xB1\xB2\xB1\xB2", "\xB1\xB2", 0, -1},
      {"\xB1\xB2\xB1\xB2", "\xB1\xB2", 0, 1},
      {"\xB0\xB1\xB2\xB1\xB2", "\xB2\xB1", 0, 3},
      {"x\xB0\xB1\xB2\xB1\xB2", "\xB1\xB2", 0, -1},
      {"x\xB0\xB1\xB2\xB1\xB2", "\xB1\xB2", 3, 3},
      // A lead byte as the last byte is still a place where a match may start.
      {"ab\xB0", "\xB0", 0, 3},
      // GBK character whose second byte is a backslash.
      {"\xD5\x5C" "\\", "\\", 0, 3},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(FindText(c.text, c.target, c.start), c.expected)
        << "text '" << c.text << "' target '" << c.target << "' start " << c.start;
  }
}

TEST(FindText, LongRunOfTwoByteCharactersStaysCorrect) {
  // B0 then B2 B1 pairs: every B1 is a trail byte, every later B2 a lead byte.
  std::string text = "\xB0";
  for (int i = 0; i < 5000; ++i) text += "\xB1\xB2";
  text += "Z";
  EXPECT_EQ(FindText(text, "\xB1\xB2" "Z"), -1);
  EXPECT_EQ(FindText(text, "\xB2" "Z"), static_cast<int>(text.size()) - 1);
  EXPECT_EQ(FindText(text, "\xB2\xB1"), 3);
}

// The scan exactly as the walk is described: compare, else step one character.
int WalkingFind(const std::string& text, const std::string& target, int start) {
  size_t i = start > 1 ? static_cast<size_t>(start) - 1 : 0;
  if (i >= text.size()) return -1;
  if (target.empty()) return 1;
  while (text.size() - i >= target.size()) {
    if (text.compare(i, target.size(), target) == 0) return static_cast<int>(i) + 1;
    if (static_cast<unsigned char>(text[i]) >= 0x80) {
      if (i + 1 == text.size()) return -1;
      i += 2;
    } else {
      i += 1;
    }
  }
  return -1;
}

TEST(FindText, AgreesWithTheCharacterWalkOnRandomTexts) {
  const char alphabet[] = {'a', 'b', '\xB0', '\xB1'};
  unsigned seed = 12345;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 20000; ++round) {
    std::string text, target;
    for (unsigned n = next() % 12; n > 0; --n) text += alphabet[next() % 4];
    for (unsigned n = next() % 3 + 1; n > 0; --n) target += alphabet[next() % 4];
    int start = static_cast<int>(next() % 6) - 1;
    ASSERT_EQ(FindText(text, target, start), WalkingFind(text, target, start))
        << "round " << round << " start " << start;
  }
}

struct CutCase {
  int start, count;
  std::string expected;
};

TEST(MidText, CutsPlainBytes) {
  const CutCase cases[] = {
      {2, 3, "bcd"}, {5, 10, "ef"}, {6, 1, "f"},   {0, 3, ""},  {7, 1, ""},
      {2, 0, ""},    {2, -1, ""},   {-1, 5, ""},   {1, 2147483647, "abcdef"},
  };
  for (const CutCase& c : cases) {
    EXPECT_EQ(MidText("abcdef", c.start, c.count), c.expected) << c.start << "," << c.count;
  }
  EXPECT_EQ(MidText("\xB0\xA1x", 2, 1), "\xA1");  // halves a two-byte character
}

TEST(RightText, KeepsTheLastBytes) {
  const std::pair<int, std::string> cases[] = {{2, "ef"}, {6, "abcdef"}, {10, "abcdef"}, {0, ""}, {-3, ""}};
  for (const auto& [count, expected] : cases) EXPECT_EQ(RightText("abcdef", count), expected) << count;
  EXPECT_EQ(RightText("", 3), "");
}

struct BetweenCase {
  std::string source, opening, closing, expected;
};

TEST(TextBetween, TakesWhatLiesBetweenTheFirstMarkers) {
  const BetweenCase cases[] = {
      {"x[12]y", "[", "]", "12"},
      {"[1][2]", "[", "]", "1"},
      {"a]b[c]", "[", "]", ""},
      {"[]", "[", "]", ""},
      {"x12]", "[", "]", ""},
      {"[12", "[", "]", ""},
      {"", "[", "]", ""},
      {" 45 % 7", " ", " %", "45"},
      {"5 % x", " ", " %", ""},
      {"<name>Zelda</name>", "<name>", "</name>", "Zelda"},
      {"<a>x</a>", "<a>", "<a>", ""},  // the closing marker inside the opening one
  };
  for (const BetweenCase& c : cases) {
    EXPECT_EQ(TextBetween(c.source, c.opening, c.closing), c.expected) << c.source;
  }
}

struct SplitCase {
  std::string text, delimiter;
  TextArray expected;
};

TEST(SplitText, CutsAtEveryDelimiter) {
  const std::string r = "</release>";
  const SplitCase cases[] = {
      {"a</release>b</release>", r, {"a", "b"}},
      {"</release>a", r, {"", "a"}},
      {"a</release></release>b", r, {"a", "", "b"}},
      {"abc", r, {"abc"}},
      {"</release>", r, {""}},
      {"", r, {}},
      {"abc", "", {"abc"}},
      {"a</release>b</release>\r\n", r, {"a", "b", "\r\n"}},
      {"aaa", "aa", {"", "a"}},  // occurrences do not overlap
      // A delimiter that begins on a trail byte is not a delimiter.
      {"\xB0<x<y", "<", {"\xB0<x", "y"}},
      {"x\xB0", "\xB0", {"x"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(SplitText(c.text, c.delimiter), c.expected) << c.text;
}

TEST(TextToInt, ReadsTheLeadingInteger) {
  const std::pair<std::string, int32_t> cases[] = {
      {"45", 45},
      {" 45", 45},
      {"\t45", 45},
      {"\r\n 45", 45},
      {"45 %", 45},
      {"45.7", 45},
      {"-3", -3},
      {"+7", 7},
      {"- 3", 0},
      {"--3", 0},
      {"abc", 0},
      {"", 0},
      {"\xA3\xB4\xA3\xB5", 45},   // full-width digits
      {"\xA3\xAD" "3", -3},       // full-width minus
      {"\xA3\xAB" "8", 8},        // full-width plus
      {"\xA1\xA1" "7", 7},        // ideographic space
      {"\xB0\xA1" "7", 0},        // a two-byte character that is not folded
      {"\xA3", 0},                // a lead byte cut short by the end
      {"2147483648", INT32_MIN},  // wraps modulo 2^32
      {"4294967297", 1},
      {"-2147483648", INT32_MIN},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TextToInt(text), expected) << text;
}

TEST(CompareText, OrdersBytesAsUnsigned) {
  const struct {
    std::string a, b;
    int expected;
  } cases[] = {{"", "", 0},  {"a", "b", -1},  {"b", "a", 1},      {"a", "ab", -1},
               {"ab", "a", 1}, {"\xB0", "a", 1}, {"abc", "abc", 0}, {"x", "", 1}};
  for (const auto& c : cases) EXPECT_EQ(CompareText(c.a, c.b), c.expected) << c.a << " vs " << c.b;
  EXPECT_EQ(CompareText(std::string_view(), ""), 0);  // a null view is the empty text
}

TEST(JoinText, ConcatenatesInOrder) {
  EXPECT_EQ(JoinText("ab", "", "c"), "abc");
  EXPECT_EQ(JoinText("", ""), "");
  EXPECT_EQ(JoinText(std::string("a"), std::string_view("b"), "c", "d", "e"), "abcde");
}

TEST(ByteBuffers, BlankAndBackToText) {
  EXPECT_EQ(BlankBytes(1024), ByteBuffer(1024, '\0'));
  EXPECT_TRUE(BlankBytes(0).empty());
  EXPECT_TRUE(BlankBytes(-1).empty());

  const std::pair<ByteBuffer, std::string> cases[] = {
      {{'a', 'b', '\0', 'c', 'd'}, "ab"},
      {ByteBuffer(4, '\0'), ""},
      {{'\0', 'x'}, ""},
      {{}, ""},
      {{'x', 'y'}, "xy"},
  };
  for (const auto& [buffer, expected] : cases) EXPECT_EQ(BytesToText(buffer), expected);
}

}  // namespace
