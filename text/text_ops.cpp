#include "text/text_ops.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// First occurrence of needle in haystack[from, size), byte for byte; npos if none.
size_t FindBytes(std::string_view haystack, size_t from, std::string_view needle) {
#if defined(__GLIBC__)
  if (from > haystack.size()) return std::string_view::npos;
  const void* hit = memmem(haystack.data() + from, haystack.size() - from, needle.data(), needle.size());
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - haystack.data()) : std::string_view::npos;
#else
  return haystack.find(needle, from);
#endif
}

// Tells whether a byte position is the start of a character for a walk that began
// at `walkStart`. It is exactly when the run of bytes 0x80-0xFF directly before it
// (back to the walk's start or to the nearest byte below 0x80) has even length.
// The last answer is remembered so that candidates inside one long run of two-byte
// characters are not rescanned from scratch.
class CharStartTest {
 public:
  CharStartTest(std::string_view text, size_t walkStart) : text_(text), walkStart_(walkStart) {}

  bool operator()(size_t pos) {
    size_t p = pos;
    bool result;
    for (;;) {
      if (p == walkStart_) {
        result = (pos - p) % 2 == 0;
        break;
      }
      if (haveKnown_ && p == known_) {
        result = knownIsStart_ == ((pos - p) % 2 == 0);
        break;
      }
      if (!IsLeadByte(static_cast<unsigned char>(text_[p - 1]))) {
        result = (pos - p) % 2 == 0;
        break;
      }
      --p;
    }
    haveKnown_ = true;
    known_ = pos;
    knownIsStart_ = result;
    return result;
  }

 private:
  std::string_view text_;
  size_t walkStart_;
  bool haveKnown_ = false;
  size_t known_ = 0;
  bool knownIsStart_ = false;
};

// First occurrence of target at a character start, for a walk beginning at `from`.
size_t FindCharAligned(std::string_view text, size_t from, std::string_view target) {
  CharStartTest isCharStart(text, from);
  for (size_t at = from;;) {
    size_t hit = FindBytes(text, at, target);
    if (hit == std::string_view::npos || isCharStart(hit)) return hit;
    at = hit + 1;
  }
}

}  // namespace

int TextLength(std::string_view text) { return static_cast<int>(text.size()); }

std::string JoinTextList(std::initializer_list<std::string_view> pieces) {
  size_t total = 0;
  for (std::string_view piece : pieces) total += piece.size();
  std::string joined;
  joined.reserve(total);
  for (std::string_view piece : pieces) joined.append(piece);
  return joined;
}

int CompareText(std::string_view a, std::string_view b) {
  int order = a.compare(b);  // char_traits<char> compares as unsigned char
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int FindText(std::string_view text, std::string_view target, int start) {
  size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
  if (from >= text.size()) return -1;
  if (target.empty()) return 1;
  size_t hit = FindCharAligned(text, from, target);
  return hit == std::string_view::npos ? -1 : static_cast<int>(hit) + 1;
}

std::string MidText(std::string_view text, int start, int count) {
  if (start < 1 || count <= 0 || static_cast<size_t>(start) > text.size()) return {};
  return std::string(text.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(count)));
}

std::string RightText(std::string_view text, int count) {
  if (count <= 0) return {};
  size_t keep = std::min(static_cast<size_t>(count), text.size());
  return std::string(text.substr(text.size() - keep));
}

std::string TextBetween(std::string_view source, std::string_view opening, std::string_view closing) {
  int openAt = FindText(source, opening, 0);
  if (openAt == -1) return {};
  int closeAt = FindText(source, closing, 0);
  if (closeAt == -1) return {};
  int start = openAt + TextLength(opening);
  return MidText(source, start, closeAt - start);
}

TextArray SplitText(std::string_view text, std::string_view delimiter) {
  TextArray pieces;
  if (text.empty()) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t pieceStart = 0;
  for (;;) {
    // After a match the walk resumes right behind it, which starts a character.
    size_t hit = FindCharAligned(text, pieceStart, delimiter);
    if (hit == std::string_view::npos) break;
    pieces.emplace_back(text.substr(pieceStart, hit - pieceStart));
    pieceStart = hit + delimiter.size();
  }
  if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

int32_t TextToInt(std::string_view text) {
  // Reads the text one folded byte at a time: full-width forms A3 A1..A3 FE become
  // the ASCII bytes 21..7E and the ideographic space A1 A1 becomes a space. Other
  // two-byte characters keep their lead byte, which ends any number.
  size_t at = 0;
  auto next = [&]() -> int {
    if (at >= text.size()) return -1;
    unsigned char lead = static_cast<unsigned char>(text[at]);
    if (!IsLeadByte(lead) || at + 1 >= text.size()) {
      ++at;
      return lead;
    }
    unsigned char trail = static_cast<unsigned char>(text[at + 1]);
    at += 2;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail - 0x80;
    if (lead == 0xA1 && trail == 0xA1) return ' ';
    return lead;
  };

  int c = next();
  while (c == ' ' || (c >= 0x09 && c <= 0x0D)) c = next();
  bool negative = false;
  if (c == '-' || c == '+') {
    negative = c == '-';
    c = next();
  }
  uint32_t value = 0;
  while (c >= '0' && c <= '9') {
    value = value * 10u + static_cast<uint32_t>(c - '0');
    c = next();
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

ByteBuffer BlankBytes(int size) { return size > 0 ? ByteBuffer(static_cast<size_t>(size), '\0') : ByteBuffer(); }

std::string BytesToText(const ByteBuffer& buffer) {
  auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return std::string(buffer.begin(), end);
}
