// The byte-text toolkit both programs are written in.
//
// A text is a run of bytes in the GBK code page (code page 936) without zero bytes.
// Positions are 1-based byte positions; a search that finds nothing gives -1.
// Arguments are views, results are new values; no operation reports an error:
// out-of-range arguments give the empty text, -1, 0 or an empty container.
// Searches and splits walk the text by characters: a byte 0x80-0xFF starts a
// two-byte character together with the byte after it (unless it is the last byte).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

using TextArray = std::vector<std::string>;
using ByteBuffer = std::vector<char>;

// Number of bytes.
int TextLength(std::string_view text);

// The pieces one after the other: JoinText(a, b, c).
std::string JoinTextList(std::initializer_list<std::string_view> pieces);
template <class... Pieces>
std::string JoinText(const Pieces&... pieces) {
  return JoinTextList({std::string_view(pieces)...});
}

// -1, 0 or 1, comparing bytes as unsigned values; the end of a text counts as 0.
int CompareText(std::string_view a, std::string_view b);

// Position of the first occurrence of target that starts a character, at or after
// start (below 1 means 1); -1 when there is none. An empty target gives 1 when any
// byte lies at or after start.
int FindText(std::string_view text, std::string_view target, int start = 0);

// count bytes from position start; cut short at the end of the text.
std::string MidText(std::string_view text, int start, int count);

// The last count bytes.
std::string RightText(std::string_view text, int count);

// What lies between the first opening marker and the first closing marker, both
// searched from the start; empty when either is missing or the closing one begins
// before the opening one has ended.
std::string TextBetween(std::string_view source, std::string_view opening, std::string_view closing);

// The pieces between occurrences of delimiter. Empty pieces are kept, except
// after a trailing delimiter; the empty text gives no piece.
TextArray SplitText(std::string_view text, std::string_view delimiter);

// The leading integer after white space, with an optional sign, reading full-width
// digits and signs as ASCII; 0 when there is none. Wraps modulo 2^32.
int32_t TextToInt(std::string_view text);

// size zero bytes (none when size is 0 or negative).
ByteBuffer BlankBytes(int size);

// The buffer's bytes up to its first zero byte.
std::string BytesToText(const ByteBuffer& buffer);
