#pragma once
// Paths that are composed into fixed buffers of 260 bytes (259 and a NUL):
// how long each input may be so that every path made from it fits, and the
// one way such a path is composed. A path that would not fit is refused,
// never cut short: nothing past the buffer is written, and no shortened path
// reaches the registry or a copy.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/files.h"

using PathBuffer = char[platform::kPathBuffer];
constexpr std::size_t kMaxPathText = platform::kPathBuffer - 1;

// Joins the parts into the buffer. False, with the buffer left empty, when
// the result would be longer than kMaxPathText.
bool ComposePath(PathBuffer& buffer, std::initializer_list<std::string_view> parts);

// The longest inputs for which the composed paths still fit.
// Target folder (package copy): the folder itself.
constexpr std::size_t kMaxTargetFolder = kMaxPathText;
// Target folder (library copy): folder + "\Korvex扩展绘图库".
constexpr std::size_t kMaxLibraryTargetFolder = kMaxPathText - (sizeof("\\Korvex扩展绘图库") - 1);
// Package source: its listing pattern source + "\*.*", and the library's
// source + "\Korvex扩展绘图库\*.*".
constexpr std::size_t kMaxPackageSource = kMaxPathText - (sizeof("\\*.*") - 1);
constexpr std::size_t kMaxLibrarySource =
    kMaxPathText - (sizeof("\\Korvex扩展绘图库\\*.*") - 1);
// Install folder of the loader path: folder + "\Korvex2021.ZRX".
constexpr std::size_t kMaxInstallFolder = kMaxPathText - (sizeof("\\Korvex2021.ZRX") - 1);
// Host location of the fonts folder: location + "\Fonts".
constexpr std::size_t kMaxHostLocation = kMaxPathText - (sizeof("\\Fonts") - 1);

// True when every path composed from the install folder (the chosen folder
// followed by "\Tarnwell") fits: the target folders of both copies and the
// loader path. The install sequence asks this before it creates anything.
bool InstallFolderFits(const std::string& installFolder);

// The message for an install folder that does not fit, and for a package
// source too deep to be listed; both with caption "Tarnwell软件安装", MB_OK.
extern const char* const kInstallPathTooLongText;
extern const char* const kSourcePathTooLongText;
extern const char* const kSetupCaption;
