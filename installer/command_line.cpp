#include "installer/command_line.h"

namespace {

bool NeedsQuotes(std::string_view argument) {
  if (argument.empty()) return true;
  for (size_t i = 0; i < argument.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(argument[i]);
    if (byte >= 0x80) {
      ++i;  // the second byte of a two-byte character is none of the three
      continue;
    }
    if (byte == ' ' || byte == '\t' || byte == '"') return true;
  }
  return false;
}

}  // namespace

std::string QuoteArgument(std::string_view argument) {
  if (!NeedsQuotes(argument)) return std::string(argument);
  std::string quoted = "\"";
  size_t backslashes = 0;  // real backslashes written just before this position
  for (size_t i = 0; i < argument.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(argument[i]);
    if (byte >= 0x80 && i + 1 < argument.size()) {
      quoted.append(argument.substr(i, 2));
      ++i;
      backslashes = 0;
    } else if (byte == '\\') {
      quoted += '\\';
      ++backslashes;
    } else if (byte == '"') {
      // The parsers halve a run of backslashes before a quote; an odd run makes
      // the quote literal.
      quoted.append(backslashes + 1, '\\');
      quoted += '"';
      backslashes = 0;
    } else {
      quoted += static_cast<char>(byte);
      backslashes = 0;
    }
  }
  quoted.append(backslashes, '\\');  // so the closing quote still closes
  quoted += '"';
  return quoted;
}

std::string BuildCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
  // The program name is read up to the next quote, without escapes.
  std::string line = "\"";
  line.append(program);
  line += '"';
  for (const std::string& argument : arguments) {
    line += ' ';
    line += QuoteArgument(argument);
  }
  return line;
}
