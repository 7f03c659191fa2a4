// Builds a Windows command line that hands each argument to the started program
// unchanged, whether it parses the line with CommandLineToArgvW or with its C
// runtime. No command interpreter is involved, so only the quoting rules of those
// two parsers matter; `&`, `|` and `^` are ordinary characters.
//
// Texts are GBK bytes: a byte 0x80-0xFF starts a two-byte character, and its second
// byte is never taken for a backslash or a quote (a path like "...乗" ends in 0x5C).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The argument as it must appear on the command line: unchanged when it is not
// empty and holds no space, tab or quote; otherwise in quotes, with every quote
// escaped and the backslashes before an escaped or the closing quote doubled.
std::string QuoteArgument(std::string_view argument);

// The program path (quoted; a path holds no quote) followed by the quoted
// arguments, separated by single spaces.
std::string BuildCommandLine(std::string_view program, const std::vector<std::string>& arguments);
