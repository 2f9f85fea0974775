#pragma once
// Paths that are composed into fixed buffers of kPathBuffer bytes (a NUL last):
// how long each input may be so that every path made from it fits, and the
// one way such a path is composed. A path that would not fit is refused,
// never cut short: nothing past the buffer is written, and no shortened path
// reaches the registry or a copy.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "package/package_layout.h"
#include "platform/files.h"

using PathBuffer = char[platform::kPathBuffer];
constexpr std::size_t kMaxPathText = platform::kPathBuffer - 1;

// Joins the parts into the buffer. False, with the buffer left empty, when
// the result would be longer than kMaxPathText.
bool ComposePath(PathBuffer& buffer, std::initializer_list<std::string_view> parts);

// The longest inputs for which the composed paths still fit, from the
// names of package/package_layout.h.
constexpr std::size_t NameLength(const char* name) { return std::char_traits<char>::length(name); }
// "\*.*", the listing pattern below a folder.
constexpr std::size_t kPatternLength = NameLength("\\*.*");
// "Korvex2021.ZRX": the module name with a four-digit year for its "%d".
constexpr std::size_t kModuleNameLength = NameLength(kModuleFileFormat) - NameLength("%d") + 4;
// Target folder (package copy): the folder itself.
constexpr std::size_t kMaxTargetFolder = kMaxPathText;
// Target folder (library copy): folder + "\Korvex扩展绘图库".
constexpr std::size_t kMaxLibraryTargetFolder = kMaxPathText - (1 + NameLength(kLibraryFolder));
// Package source: its listing pattern source + "\*.*", and the library's
// source + "\Korvex扩展绘图库\*.*".
constexpr std::size_t kMaxPackageSource = kMaxPathText - kPatternLength;
constexpr std::size_t kMaxLibrarySource =
    kMaxPathText - (1 + NameLength(kLibraryFolder) + kPatternLength);
// Install folder of the loader path: folder + "\Korvex2021.ZRX".
constexpr std::size_t kMaxInstallFolder = kMaxPathText - (1 + kModuleNameLength);
// Host location of the fonts folder: location + "\Fonts" (the host's folder
// name, host/host_contract.h, which the package does not see).
constexpr std::size_t kMaxHostLocation = kMaxPathText - NameLength("\\Fonts");

// The two trailing-separator rules. Both test by character: a second byte
// 0x5C of a double-byte character is no separator.
// The scan's, for a host location read from the registry: one trailing "\"
// off, unless it is the text's only character.
std::string RemoveTrailingSeparatorUnlessAlone(const std::string& text);
// The install's, for the chosen install folder: one trailing "\" off.
void DropTrailingSeparator(std::string& path);
