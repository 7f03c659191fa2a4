#include "lookup/product_lookup.h"

#include <gtest/gtest.h>

namespace {

const char kHeader[] = "<?xml version=\"1.0\"?>\n<releases HDRX=\"1\">\n";

std::string Release(const std::string& name, const std::string& serial) {
  return "<release>\n\t<name>" + name + "</name>\n\t<publisher>Pub " + name + "</publisher>\n\t<serial>" +
         serial + "</serial>\n\t<titleid>00040000000" + serial.substr(4) + "0</titleid>\n\t<firmware>1.0.0E</firmware>\n";
}

// Header, five releases, the closing root element: cut the way the load cuts it.
TextArray FixtureRecords() {
  std::string file = kHeader + Release("Alpha", "CTR-AAAP") + "</release>\n" + Release("Bravo", "CTR-BBBE") +
                     "</release>\n" + Release("Charlie", "CTR-CCCJ") + "</release>\n" +
                     "<release>\n\t<name>NoPublisher</name>\n\t<serial>CTR-DDDP</serial>\n</release>\n" +
                     Release("Echo", "CTR-EEEP") + "\t<extra>BBBE</extra>\n</release>\n</releases>";
  return SplitText(file, "</release>");
}

std::string Lines(const std::string& name, const std::string& publisher, const std::string& serial,
                  const std::string& titleId, const std::string& firmware) {
  return "游戏名称：" + name + "\r\n游戏厂商：" + publisher + "\r\n序列号：" + serial + "\r\nTITLE ID：" + titleId +
         "\r\n固件版本：" + firmware;
}

TEST(ResultLines, AreTheFiveFieldsAfterTheirLabelsByteForByte) {
  std::string record = Release("Alpha &amp; Co ", "CTR-AAAP");
  EXPECT_EQ(ResultLines(record), Lines("Alpha &amp; Co ", "Pub Alpha &amp; Co ", "CTR-AAAP", "00040000000AAAP0", "1.0.0E"));
  // GBK bytes of the labels: full-width colon A3 BA, an ordinary space in "TITLE ID".
  EXPECT_EQ(ResultLines("").substr(0, 10), "\xD3\xCE\xCF\xB7\xC3\xFB\xB3\xC6\xA3\xBA");
  EXPECT_NE(ResultLines("").find("\r\nTITLE ID\xA3\xBA\r\n"), std::string::npos);
}

TEST(ResultLines, MissingTagsGiveEmptyValues) {
  EXPECT_EQ(ResultLines("\r\n</releases>"), Lines("", "", "", "", ""));
  EXPECT_EQ(ResultLines("<name>N</name><firmware>F"), Lines("N", "", "", "", ""));
}

struct LookupCase {
  const char* what;
  std::string code;
  LookupResult::Outcome outcome;
  std::string text;
};

TEST(LookupProductCode, ShowsTheFirstRecordThatHoldsTheCode) {
  const TextArray records = FixtureRecords();
  ASSERT_EQ(records.size(), 6u);
  const std::string notFound = kNotFoundText;
  const LookupCase cases[] = {
      {"three bytes", "AAA", LookupResult::kNothing, ""},
      {"five bytes", "AAAPX", LookupResult::kNothing, ""},
      {"empty code", "", LookupResult::kNothing, ""},
      {"code in the first release", "AAAP", LookupResult::kFound,
       Lines("Alpha", "Pub Alpha", "CTR-AAAP", "00040000000AAAP0", "1.0.0E")},
      {"first match wins over a later record", "BBBE", LookupResult::kFound,
       Lines("Bravo", "Pub Bravo", "CTR-BBBE", "00040000000BBBE0", "1.0.0E")},
      {"record without publisher or titleid", "DDDP", LookupResult::kFound,
       Lines("NoPublisher", "", "CTR-DDDP", "", "")},
      {"code only in a late record", "EEEP", LookupResult::kFound,
       Lines("Echo", "Pub Echo", "CTR-EEEP", "00040000000EEEP0", "1.0.0E")},
      {"code only in the file's header shows record 1", "HDRX", LookupResult::kFound,
       Lines("Alpha", "Pub Alpha", "CTR-AAAP", "00040000000AAAP0", "1.0.0E")},
      {"letters of a tag name", "name", LookupResult::kFound,
       Lines("Alpha", "Pub Alpha", "CTR-AAAP", "00040000000AAAP0", "1.0.0E")},
      {"match in the text after the last release", "ses>", LookupResult::kFound, Lines("", "", "", "", "")},
      {"case matters", "aaap", LookupResult::kNotFound, notFound},
      {"absent code", "ZZZZ", LookupResult::kNotFound, notFound},
      {"spaces count", " AAA", LookupResult::kNotFound, notFound},
  };
  for (const LookupCase& c : cases) {
    LookupResult result = LookupProductCode(records, c.code);
    EXPECT_EQ(result.outcome, c.outcome) << c.what;
    EXPECT_EQ(result.text, c.text) << c.what;
  }
}

TEST(LookupProductCode, TwoByteCharactersAreMatchedOnlyWhereACharacterStarts) {
  // "中文" is D6 D0 CE C4; the record also holds the same bytes shifted by one
  // inside other characters, which must not count.
  const TextArray shifted = {"<name>x</name>\xB0\xD6\xD0\xCE\xC4\xB0"};
  EXPECT_EQ(LookupProductCode(shifted, "\xD6\xD0\xCE\xC4").outcome, LookupResult::kNotFound);
  const TextArray aligned = {"<name>\xD6\xD0\xCE\xC4</name>"};
  LookupResult found = LookupProductCode(aligned, "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(found.outcome, LookupResult::kFound);
  EXPECT_EQ(found.text, Lines("\xD6\xD0\xCE\xC4", "", "", "", ""));
  // One two-byte character and two single bytes are four bytes too.
  EXPECT_EQ(LookupProductCode(aligned, "\xCE\xC4</").outcome, LookupResult::kFound);
}

TEST(LookupProductCode, EmptyListShowsNothingForAnyCode) {
  for (const char* code : {"AAAP", "ZZZZ", "ab"}) {
    LookupResult result = LookupProductCode(TextArray{}, code);
    EXPECT_EQ(result.outcome, LookupResult::kNothing) << code;
    EXPECT_EQ(result.text, "") << code;
  }
}

}  // namespace
