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
  // GBK gives at most one UTF-16 unit for each byte.
  wide->assign(gbk.size() + 1, L'\0');
  const int units = MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, gbk.data(), n, wide->data(), n);
  if (units <= 0) {
    wide->assign(1, L'\0');
    return false;
  }
  wide->erase(wide->begin() + units + 1, wide->end());
  return true;
}

bool Narrow(const wchar_t* wide, std::size_t length, std::string* gbk) {
  // The unnamed-character byte is in no GBK text: where FromWide gives it, a
  // character did not convert.
  *gbk = FromWide(wide, length);
  if (gbk->find(kUnnamedChar) == std::string::npos) return true;
  gbk->clear();
  return false;
}

// Out of line, as every door call makes one: its code stays in one place.
Wide::Wide(std::string_view gbk) { ok_ = Widen(gbk, &text_); }
Wide::~Wide() = default;
Shown::Shown(std::string_view gbk) { WidenShown(gbk, &text_); }
Shown::~Shown() = default;

WideName::WideName(std::string_view gbk) : ok_(false) {
  text_[0] = L'\0';
  if (gbk.size() >= kUnits) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return;
  }
  if (gbk.empty()) {
    ok_ = true;
    return;
  }
  const int n = static_cast<int>(gbk.size());
  const int units = gbk.find(kUnnamedChar) == std::string_view::npos
                        ? MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, gbk.data(), n,
                                              text_, static_cast<int>(kUnits) - 1)
                        : 0;
  if (units <= 0) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return;
  }
  text_[units] = L'\0';
  ok_ = true;
}

std::string FromWide(const wchar_t* wide, std::size_t length) {
  if (length == std::string::npos) {
    length = 0;
    while (wide[length] != L'\0') ++length;
  }
  // Character by character: each that has no GBK form as the unnamed-
  // character byte; so is each surrogate, paired (GBK holds nothing beyond
  // the first plane) or not (no UTF-16 text), a pair as one.
  std::string gbk;
  std::vector<std::u16string> unnamed;
  for (std::size_t i = 0; i < length;) {
    const wchar_t c = wide[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    const int units = high && i + 1 < length && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF ? 2 : 1;
    char bytes[4];
    BOOL lossy = FALSE;
    const int n = high || low ? 0
                              : WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, wide + i, units,
                                                    bytes, sizeof bytes, nullptr, &lossy);
    if (n > 0 && !lossy)
      gbk.append(bytes, static_cast<std::size_t>(n));
    else {
      gbk += kUnnamedChar;
      unnamed.emplace_back(reinterpret_cast<const char16_t*>(wide + i), static_cast<std::size_t>(units));
    }
    i += static_cast<std::size_t>(units);
  }
  // The log names each such character by its code.
  if (!unnamed.empty()) NoteUnnamedChars(gbk, unnamed);
  return gbk;
}

void WidenShown(std::string_view gbk, std::vector<wchar_t>* wide) {
  // Character by character: GBK gives one UTF-16 unit for each.
  wide->assign(gbk.size() + 1, L'\0');
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < gbk.size(); pos += CharLength(gbk, pos)) {
    wchar_t& unit = (*wide)[units++];
    if (gbk[pos] == kUnnamedChar ||
        MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, &gbk[pos],
                            static_cast<int>(CharLength(gbk, pos)), &unit, 1) != 1)
      unit = 0xFFFD;
  }
  wide->erase(wide->begin() + static_cast<std::ptrdiff_t>(units) + 1, wide->end());
}

}  // namespace platform
