#include <windows.h>

#include "platform/win32/wide.h"

#include "platform/codepage.h"

namespace platform {

static_assert(kNoTranslationError == ERROR_NO_UNICODE_TRANSLATION, "error code");

bool Widen(std::string_view gbk, std::vector<wchar_t>* wide) {
  wide->assign(1, L'\0');
  if (gbk.empty()) return true;
  if (gbk.size() > 0x7FFFFFFF) return false;
  // The byte that stands for a character without a GBK form is no GBK
  // character, whatever a system's table of code page 936 makes of it.
  if (gbk.find(kUnnamedChar) != std::string_view::npos) return false;
  const int n = static_cast<int>(gbk.size());
  // MB_ERR_INVALID_CHARS: a lead byte without its second byte, or a pair
  // that is no GBK character, fails the call instead of becoming U+FFFD.
  const int units = MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, gbk.data(), n, nullptr, 0);
  if (units <= 0) return false;
  wide->assign(static_cast<std::size_t>(units) + 1, L'\0');
  if (MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, gbk.data(), n, wide->data(), units) != units) {
    wide->assign(1, L'\0');
    return false;
  }
  return true;
}

bool Narrow(const wchar_t* wide, std::size_t length, std::string* gbk) {
  gbk->clear();
  if (length == std::string::npos) {
    length = 0;
    while (wide[length] != L'\0') ++length;
  }
  if (length == 0) return true;
  if (length > 0x3FFFFFFF) return false;
  // WideCharToMultiByte lets an unpaired surrogate through as the default
  // character on some systems: refuse it here.
  for (std::size_t i = 0; i < length; ++i) {
    const wchar_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= length || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  const int n = static_cast<int>(length);
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, wide, n, nullptr, 0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return false;
  gbk->assign(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, wide, n, &(*gbk)[0], bytes, nullptr, &lossy) != bytes ||
      lossy) {
    gbk->clear();
    return false;
  }
  return true;
}

WideName::WideName(std::string_view gbk) {
  ok_ = Widen(gbk, &text_);
  if (!ok_) SetLastError(ERROR_NO_UNICODE_TRANSLATION);
}

std::string FromWide(const wchar_t* wide, std::size_t length) {
  if (length == std::string::npos) {
    length = 0;
    while (wide[length] != L'\0') ++length;
  }
  std::string gbk;
  if (Narrow(wide, length, &gbk)) return gbk;
  // Character by character: a surrogate pair as one, anything that does not
  // convert as the unnamed-character byte.
  gbk.clear();
  std::string one;
  for (std::size_t i = 0; i < length;) {
    std::size_t units = 1;
    if (wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < length && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF)
      units = 2;
    if (Narrow(wide + i, units, &one))
      gbk += one;
    else
      gbk += kUnnamedChar;
    i += units;
  }
  return gbk;
}

void WidenShown(std::string_view gbk, std::vector<wchar_t>* wide) {
  if (Widen(gbk, wide)) return;
  wide->clear();
  std::vector<wchar_t> one;
  for (std::size_t pos = 0; pos < gbk.size();) {
    const std::size_t len = CharLength(gbk, pos);
    if (Widen(gbk.substr(pos, len), &one))
      wide->insert(wide->end(), one.begin(), one.end() - 1);
    else
      wide->push_back(0xFFFD);
    pos += len;
  }
  wide->push_back(L'\0');
}

}  // namespace platform
