#include "platform/codepage.h"

#include <deque>
#include <utility>

namespace platform {

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

namespace {

// A character GBK cannot hold, as it came from the system, with the bytes
// around its place in the text it came in (so that a part of that text in
// a log line finds it again).
struct Unnamed {
  std::u16string units;
  std::string before, after;
};

std::deque<Unnamed>& Noted() {
  static std::deque<Unnamed> noted;
  return noted;
}

constexpr std::size_t kContext = 24;

std::string Escaped(const std::u16string& units) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char16_t unit : units) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
  }
  return out;
}

// How many bytes before and after `pos` in `text` agree with the context.
std::size_t Agreement(std::string_view text, std::size_t pos, const Unnamed& u) {
  std::size_t n = 0;
  while (n < u.before.size() && n < pos && text[pos - 1 - n] == u.before[u.before.size() - 1 - n]) ++n;
  std::size_t m = 0;
  while (m < u.after.size() && pos + 1 + m < text.size() && text[pos + 1 + m] == u.after[m]) ++m;
  return n + m;
}

}  // namespace

void NoteUnnamedChars(const std::string& gbk, const std::vector<std::u16string>& chars) {
  auto& noted = Noted();
  std::size_t k = 0;
  for (std::size_t pos = 0; pos < gbk.size() && k < chars.size(); ++pos) {
    if (gbk[pos] != kUnnamedChar) continue;
    const std::size_t from = pos > kContext ? pos - kContext : 0;
    noted.push_back({chars[k++], gbk.substr(from, pos - from), gbk.substr(pos + 1, kContext)});
    if (noted.size() > 1024) noted.pop_front();
  }
}

std::string LogText(std::string_view text) {
  if (text.find(kUnnamedChar) == std::string_view::npos) return ToUtf8(text);
  std::string out;
  std::size_t run = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
    if (text[pos] != kUnnamedChar) continue;
    out += ToUtf8(text.substr(run, pos - run));
    // The character noted in the likeliest place; the latest on a tie.
    const Unnamed* best = nullptr;
    std::size_t bestScore = 0;
    for (const Unnamed& u : Noted()) {
      const std::size_t score = Agreement(text, pos, u);
      if (!best || score >= bestScore) {
        best = &u;
        bestScore = score;
      }
    }
    out += best ? Escaped(best->units) : std::string("\\uFFFD");
    run = pos + 1;
  }
  return out + ToUtf8(text.substr(run));
}

std::size_t CharLength(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos]))) return 2;
  return 1;
}

std::size_t FindLastChar(std::string_view text, char c) {
  std::size_t found = std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
    if (text[pos] == c && CharLength(text, pos) == 1) found = pos;
  }
  return found;
}

std::vector<std::string> SplitAtChar(std::string_view text, char sep) {
  std::vector<std::string> parts(1);
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
    if (text[pos] == sep && CharLength(text, pos) == 1)
      parts.emplace_back();
    else
      parts.back().append(text.substr(pos, CharLength(text, pos)));
  }
  return parts;
}

std::size_t FindText(std::string_view text, std::string_view needle) {
  for (std::size_t pos = 0; pos + needle.size() <= text.size(); pos += CharLength(text, pos)) {
    if (text.compare(pos, needle.size(), needle) == 0) return pos;
  }
  return std::string_view::npos;
}

bool HoldsUnnamedChar(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
    if (text[pos] == kUnnamedChar) return true;
  return false;
}

bool WellFormedGbk(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b == 0xFF) return false;
    if (IsLeadByte(b)) {
      if (pos + 1 >= text.size()) return false;
      const auto trail = static_cast<unsigned char>(text[pos + 1]);
      if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
      pos += 2;
    } else {
      pos += 1;
    }
  }
  return true;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

bool EndsWithChar(std::string_view text, char c) {
  std::size_t last = std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) last = pos;
  return last != std::string_view::npos && CharLength(text, last) == 1 && text[last] == c;
}

}  // namespace platform
