// Finding a release by its four-byte product code: the first record whose text
// holds the code anywhere (tags and the file's header included).
#pragma once

#include <string>
#include <string_view>

#include "text/text_ops.h"

inline constexpr char kNotFoundText[] = "未找到！";

// The five result lines of a record: name, publisher, serial, title ID and
// firmware, each after its label; no line end after the last.
std::string ResultLines(std::string_view record);

struct LookupResult {
  enum Outcome { kNothing, kFound, kNotFound };
  Outcome outcome = kNothing;
  std::string text;  // what the result box shows: empty, the five lines, or kNotFoundText
};

// Nothing when the code is not exactly four bytes or there are no records.
LookupResult LookupProductCode(const TextArray& records, std::string_view code);
