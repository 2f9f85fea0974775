#include <windows.h>

#include <vector>

#include "platform/codepage.h"

namespace platform {

unsigned ActiveCodePage() { return GetACP(); }

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    const std::size_t len = CharLength(out, pos);
    if (len == 1 && IsLeadByte(static_cast<unsigned char>(out[pos]))) {
      // A lead byte without its second byte: no character to lower.
    } else if (len == 1) {
      char one[2] = {out[pos], 0};
      CharLowerBuffA(one, 1);
      out[pos] = one[0];
    } else {
      // One double-byte character, through UTF-16 and back. A character the
      // system cannot map, or whose lower case has no two-byte form in the
      // code page, stays as it is.
      wchar_t wide[2] = {0, 0};
      if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &out[pos], 2, wide, 2) == 1) {
        CharLowerBuffW(wide, 1);
        char back[4] = {0, 0, 0, 0};
        BOOL lossy = FALSE;
        if (WideCharToMultiByte(CP_ACP, 0, wide, 1, back, sizeof back, nullptr, &lossy) == 2 &&
            !lossy) {
          out[pos] = back[0];
          out[pos + 1] = back[1];
        }
      }
    }
    pos += len;
  }
  return out;
}

std::string ToUtf8(std::string_view text) {
  if (text.empty()) return std::string();
  // In pieces, so that no length passes what an int holds; a piece never
  // ends between the two bytes of a character.
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && end - pos < 0x100000) end += CharLength(text, end);
    const int n = static_cast<int>(end - pos);
    // A vector, not std::wstring: the library's wide string would add
    // about 100 KB to the image.
    std::vector<wchar_t> wide(static_cast<std::size_t>(n));
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data() + pos, n, wide.data(), n);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string piece(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &piece[0], bytes, nullptr, nullptr);
    out += piece;
    pos = end;
  }
  return out;
}

}  // namespace platform
