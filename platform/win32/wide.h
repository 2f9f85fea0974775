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

// Text that comes back from Windows (names in a listing, paths, window
// texts, registry data, the command line) as GBK, each character that GBK
// cannot hold, and each surrogate without its pair, replaced by the byte
// kUnnamedChar (platform/codepage.h). No GBK text holds that byte and Widen
// refuses it, so such a text never names anything when it goes back to
// Windows, and the install's checks (HoldsUnnamedChar) can tell and refuse it.
std::string FromWide(const wchar_t* wide, std::size_t length = std::string::npos);

// A text to be shown (a window text, a message box): as Widen, but each byte
// that is no GBK character (kUnnamedChar among them) shows as U+FFFD.
void WidenShown(std::string_view gbk, std::vector<wchar_t>* wide);

// The code every door call leaves as LastError() for a name that does not
// convert (ERROR_NO_UNICODE_TRANSLATION).
constexpr unsigned long kNoTranslationError = 1113;

// A GBK text as a NUL-terminated UTF-16 string for one call, for texts known
// to convert (the program's own literals); empty where the text does not
// convert.
class Wide {
 public:
  explicit Wide(std::string_view gbk);
  ~Wide();
  Wide(const Wide&) = delete;
  Wide& operator=(const Wide&) = delete;
  const wchar_t* c_str() const { return text_.data(); }
  bool ok() const { return ok_; }

 private:
  std::vector<wchar_t> text_;
  bool ok_ = false;
};

// A name handed to Windows (a path, a key or value name, a pattern) as a
// NUL-terminated UTF-16 string, in a buffer of its own (no allocation: the
// door calls stay small). One that does not convert sets LastError() to
// kNoTranslationError, one longer than the buffer to ERROR_FILENAME_EXCED_RANGE;
// the call is then not to be made.
class WideName {
 public:
  explicit WideName(std::string_view gbk);
  const wchar_t* c_str() const { return text_; }
  bool ok() const { return ok_; }

 private:
  static constexpr std::size_t kUnits = 1024;  // far beyond MAX_PATH and a key path
  wchar_t text_[kUnits];
  bool ok_;
};

// A text to be shown, as a NUL-terminated UTF-16 string (WidenShown).
class Shown {
 public:
  explicit Shown(std::string_view gbk);
  ~Shown();
  Shown(const Shown&) = delete;
  Shown& operator=(const Shown&) = delete;
  const wchar_t* c_str() const { return text_.data(); }

 private:
  std::vector<wchar_t> text_;
};

}  // namespace platform
