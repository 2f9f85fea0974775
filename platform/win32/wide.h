#pragma once
// Text at the door of the wide (W) functions. Inside, the program's text is
// GBK (code page 936) on every system, whatever code page the system runs
// with; each call into Windows turns it into UTF-16 through code page 936
// explicitly, and what Windows gives back is turned into GBK the same way.
// A conversion that would lose a character fails: nothing is ever turned
// into "?" and then used as a name.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The code page of the program's narrow text.
constexpr unsigned kTextCodePage = 936;

// MultiByteToWideChar(936, MB_ERR_INVALID_CHARS): the UTF-16 form of `gbk`
// followed by a NUL. False (and `wide` holding just the NUL) for bytes that
// are no GBK text.
bool Widen(std::string_view gbk, std::vector<wchar_t>* wide);

// WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS) with the default-character
// check: false when a character has no GBK form or the text is no valid
// UTF-16 (an unpaired surrogate); `gbk` is then empty. `length` in UTF-16
// units, or npos for a NUL-terminated text.
bool Narrow(const wchar_t* wide, std::size_t length, std::string* gbk);

// A GBK text as a NUL-terminated UTF-16 string for one call, for texts known
// to convert (the program's own literals); empty where the text does not
// convert.
class Wide {
 public:
  explicit Wide(std::string_view gbk) { ok_ = Widen(gbk, &text_); }
  const wchar_t* c_str() const { return text_.data(); }
  bool ok() const { return ok_; }

 private:
  std::vector<wchar_t> text_;
  bool ok_ = false;
};

}  // namespace platform
