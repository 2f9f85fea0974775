#include <windows.h>

#include <vector>

#include "platform/codepage.h"
#include "platform/win32/wide.h"

namespace platform {

unsigned ActiveCodePage() { return GetACP(); }

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    const std::size_t len = CharLength(out, pos);
    if (len == 1) {
      // ASCII letters; any other single byte (a lead byte without its second
      // byte, the euro sign 0x80) has no lower case.
      if (out[pos] >= 'A' && out[pos] <= 'Z') out[pos] = static_cast<char>(out[pos] + 32);
    } else {
      // One double-byte character, through UTF-16 and back. A character that
      // code page 936 does not map, or whose lower case has no two-byte form
      // there, stays as it is.
      wchar_t wide[2] = {0, 0};
      if (MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, &out[pos], 2, wide, 2) == 1) {
        CharLowerBuffW(wide, 1);
        char back[4] = {0, 0, 0, 0};
        BOOL lossy = FALSE;
        if (WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back,
                                nullptr, &lossy) == 2 &&
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
    // A vector, not std::wstring: the library's wide string would add
    // about 100 KB to the image. A byte that is no GBK character (the
    // unnamed-character byte among them) becomes U+FFFD.
    std::vector<wchar_t> wide;
    WidenShown(text.substr(pos, end - pos), &wide);
    const int units = static_cast<int>(wide.size() - 1);
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
