#include "platform/codepage.h"

#include <deque>
#include <utility>

namespace platform {

namespace {

std::deque<std::pair<std::string, std::vector<std::u16string>>>& Noted() {
  static std::deque<std::pair<std::string, std::vector<std::u16string>>> noted;
  return noted;
}

std::string Escaped(const std::u16string& units) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char16_t unit : units) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
  }
  return out;
}

}  // namespace

void NoteUnnamedChars(const std::string& gbk, const std::vector<std::u16string>& chars) {
  auto& noted = Noted();
  for (const auto& n : noted)
    if (n.first == gbk && n.second == chars) return;
  noted.emplace_back(gbk, chars);
  if (noted.size() > 256) noted.pop_front();
}

std::string LogText(std::string_view text) {
  if (text.find(kUnnamedChar) == std::string_view::npos) return ToUtf8(text);
  std::vector<std::string> codes(text.size());
  for (const auto& n : Noted()) {
    if (n.first.empty()) continue;
    for (std::size_t at = text.find(n.first); at != std::string_view::npos;
         at = text.find(n.first, at + 1)) {
      std::size_t k = 0;
      for (std::size_t i = 0; i < n.first.size() && k < n.second.size(); ++i)
        if (n.first[i] == kUnnamedChar) codes[at + i] = Escaped(n.second[k++]);
    }
  }
  std::string out;
  std::size_t run = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
    if (text[pos] != kUnnamedChar) continue;
    out += ToUtf8(text.substr(run, pos - run));
    out += codes[pos].empty() ? std::string("\\uFFFD") : codes[pos];
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
