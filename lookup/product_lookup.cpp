#include "lookup/product_lookup.h"

std::string ResultLines(std::string_view record) {
  return JoinText("游戏名称：", TextBetween(record, "<name>", "</name>"), "\r\n",
                  "游戏厂商：", TextBetween(record, "<publisher>", "</publisher>"), "\r\n",
                  "序列号：", TextBetween(record, "<serial>", "</serial>"), "\r\n",
                  "TITLE ID：", TextBetween(record, "<titleid>", "</titleid>"), "\r\n",
                  "固件版本：", TextBetween(record, "<firmware>", "</firmware>"));
}

LookupResult LookupProductCode(const TextArray& records, std::string_view code) {
  LookupResult result;
  if (TextLength(code) != 4 || records.empty()) return result;
  for (const std::string& record : records) {
    if (FindText(record, code) > 0) {
      result.outcome = LookupResult::kFound;
      result.text = ResultLines(record);
      return result;
    }
  }
  result.outcome = LookupResult::kNotFound;
  result.text = kNotFoundText;
  return result;
}
