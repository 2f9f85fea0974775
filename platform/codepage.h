#pragma once
// Text in GBK (code page 936), the program's narrow text on every system,
// whatever code page the system runs with: the Win32 layer turns it into
// UTF-16 at each call (platform/win32/wide.h). A double-byte character is a
// lead byte followed by one more byte, and that second byte may have the code
// of "\" or of an ASCII letter: every search and comparison here walks the
// text character by character so that it never matches from a second byte.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// GetACP(): the system's code page, which the program's text does not
// depend on.
unsigned ActiveCodePage();

// True when the byte starts a double-byte character of GBK (0x81 to 0xFE),
// whatever the system's code page.
bool IsLeadByte(unsigned char byte);

// Stands, in text that came from the system, for a character that GBK
// cannot hold (or a surrogate without its pair): a byte that no GBK text
// holds, neither as a character nor as a second byte, and that the Win32
// layer never hands back to the system as a name.
constexpr char kUnnamedChar = '\xFF';
// True when the text holds kUnnamedChar as a character: it came from the
// system with a character that has no GBK form.
bool HoldsUnnamedChar(std::string_view text);

// Notes which characters the kUnnamedChar bytes of `gbk` stand for, in
// order, each as its UTF-16 units (two for a character beyond the first
// plane), with the bytes around it: the Win32 layer notes every text it
// gives back with such characters, so that the log can name them. Keeps
// the latest 1024.
void NoteUnnamedChars(const std::string& gbk, const std::vector<std::u16string>& chars);
// The text for the log: UTF-8 as ToUtf8 makes it, each kUnnamedChar written
// as "\uXXXX" (per UTF-16 unit) of the noted character whose bytes around
// agree best with the text's (a part of a noted text finds its own),
// "\uFFFD" where none was noted.
std::string LogText(std::string_view text);

// Lower-cases character by character: ASCII letters, and double-byte
// characters through the system's lower-case mapping of that character. Never changes one byte of a double-byte character on its
// own and never changes the length.
std::string LowerCase(std::string_view text);

// The text in UTF-8 (MultiByteToWideChar from code page 936, then
// WideCharToMultiByte to CP_UTF8): always well-formed UTF-8, of any input. A
// byte that is no character of the code page still gives one character;
// which one is the system's choice.
std::string ToUtf8(std::string_view text);

// The portable helpers below are built on IsLeadByte and LowerCase.

// Length in bytes of the character that starts at text[pos] (1 or 2; 1 for a
// lead byte at the very end).
std::size_t CharLength(std::string_view text, std::size_t pos);

// Offset of the last character equal to the single-byte character c, or npos.
std::size_t FindLastChar(std::string_view text, char c);

// The parts of text between its characters equal to the single-byte
// character sep (a second byte of that code separates nothing): n separators
// give n + 1 parts, empty ones included.
std::vector<std::string> SplitAtChar(std::string_view text, char sep);

// Offset of the first occurrence of needle that starts on a character
// boundary, or npos. An empty needle is found at 0.
std::size_t FindText(std::string_view text, std::string_view needle);
inline bool ContainsText(std::string_view text, std::string_view needle) {
  return FindText(text, needle) != std::string_view::npos;
}

// True when every double-byte character is complete with a second byte that
// GBK allows, and no byte is 0xFF (the mark of a character GBK cannot hold).
bool WellFormedGbk(std::string_view text);

// Case-insensitive equality after LowerCase of both sides.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when the last character (not merely the last byte) of text is c.
bool EndsWithChar(std::string_view text, char c);

}  // namespace platform
