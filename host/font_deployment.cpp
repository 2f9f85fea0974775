#include "host/font_deployment.h"

#include "package/install_notes.h"
#include "package/manifest_check.h"
#include "package/package_copy.h"
#include "package/package_layout.h"
#include "package/package_paths.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/security.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace {

std::string LastErrorText() { return platform::DescribeError(platform::LastError()); }

// Logs why the fonts of a Fonts folder, or one font, were not copied; false.
bool NotCopied(const char* what, const std::string& path, const std::string& why) {
  platform::Log({what, path, ": ", why});
  return false;
}

// Opens the location's Fonts folder, held so that it cannot be renamed
// while the fonts are written; false (logged) when it is missing, a link, or
// lies anywhere else than in the location. `finalPath` is where it lies.
bool OpenFontsFolder(const std::string& location, const std::string& fonts,
                     platform::FileHandle& folder, std::string* finalPath) {
  constexpr const char* kWhat = "no font copied to ";
  platform::FileHandle host;
  platform::HandleFacts hostFacts, facts;
  const std::uint32_t attributes = platform::ReadAttributes(fonts.c_str());
  if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReparsePoint))
    return NotCopied(kWhat, fonts, "the folder is a link");
  if (!host.OpenFolder(location.c_str()) || !host.Facts(&hostFacts) ||
      !folder.OpenFolder(fonts.c_str()) || !folder.Facts(&facts))
    return NotCopied(kWhat, fonts, LastErrorText());
  if (!platform::SamePath(facts.finalPath, hostFacts.finalPath + "\\" + kFontsFolder))
    return NotCopied(kWhat, fonts, "the folder lies at " + facts.finalPath);
  *finalPath = facts.finalPath;
  return true;
}

// Writes one font into the held Fonts folder: to its temporary name beside
// it, by a handle that must have that name in that folder open (no link, one
// name), then renamed over the font, so that a cut leaves the font as it was
// or the new one, never a torn one. `bytes`, when given, are the font's
// content as the package check read and hashed it: written as they are.
bool CopyFont(const platform::FileHandle& font, const std::string* bytes, const std::string& from,
              const std::string& to, const std::string& expected) {
  constexpr const char* kWhat = "font not copied ";
  const std::string copy = from + " -> " + to;
  const std::string temporary = to + kStagedSuffix;
  platform::FileHandle target;
  bool created = false;
  platform::HandleFacts facts;
  if (!target.OpenToWrite(temporary.c_str(), &created) || !target.Facts(&facts))
    return NotCopied(kWhat, copy, LastErrorText());
  if (!platform::SamePath(facts.finalPath, expected + kStagedSuffix) ||
      (facts.attributes & platform::kAttrReparsePoint) || facts.links != 1) {
    if (created) target.DeleteNow();
    return NotCopied(kWhat, copy, "the name leads to " + facts.finalPath + ", a file of " +
                                      std::to_string(facts.links) + " name(s)");
  }
  const bool written = bytes ? target.Truncate() && target.Write(*bytes) : target.CopyFrom(font);
  target.Close();
  if (!written || !platform::MoveOverFile(temporary.c_str(), to.c_str())) {
    const std::string why = LastErrorText();
    platform::RemoveFile(temporary.c_str());
    return NotCopied(kWhat, copy, why);
  }
  platform::Log("font copied " + copy);
  return true;
}

}  // namespace

void InstallFonts(CHostRegistry& hosts, CInstallSession& session, const OpenedPackage* package,
                  bool f2021, bool f2022, bool f2023, bool f2024, bool f2025, bool f2026,
                  bool f2027) {
  const bool flags[kHostYearCount] = {f2021, f2022, f2023, f2024, f2025, f2026, f2027};
  for (int i = 0; i < kHostYearCount; ++i) {
    if (!flags[i]) continue;
    const StringList& locations = hosts.m_locations[i];
    for (std::size_t j = 0; j < locations.Count(); ++j)
      CopyFontsToHost(locations.At(j), session, package);
  }
}

void InstallFonts(CHostRegistry& hosts, platform::WindowHandle owner, bool f2021, bool f2022,
                  bool f2023, bool f2024, bool f2025, bool f2026, bool f2027) {
  CDialogSession session(owner);
  InstallFonts(hosts, session, nullptr, f2021, f2022, f2023, f2024, f2025, f2026, f2027);
}

void CopyFontsToHost(const std::string& location, CInstallSession& session,
                     const OpenedPackage* package) {
  // Without the package no font is copied: a copy from an unset source
  // would take the fonts from the root of the current drive.
  OpenedPackage own;
  std::string source;
  if (!package || !package->fontsOpened) {
    if (!GetPackageSource(source, session) || !OpenPackageFonts(own, source, session)) {
      platform::Log({"no font copied to ", location, ": the package source was not found"});
      session.MarkPartial();
      return;
    }
    package = &own;
  }
  PathBuffer fonts;
  if (!ComposePath(fonts, {location, "\\", kFontsFolder})) {
    platform::Log({"no font copied to ", location, ": its Fonts folder would pass 259 bytes"});
    session.MarkPartial();
    return;
  }
  // The fonts go only where the host has its Fonts folder: a location
  // without one (a host removed, its key left behind) is passed over. Any
  // other failure to reach the folder is a font not written.
  if (platform::ReadAttributes(fonts) == platform::kInvalidAttributes) {
    const std::uint32_t error = platform::LastError();
    if (error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound) {
      platform::Log({"no font copied to ", location, ": it has no Fonts folder"});
      return;
    }
  }
  platform::FileHandle folder;
  std::string finalFonts;
  if (!OpenFontsFolder(location, fonts, folder, &finalFonts)) {
    session.MarkPartial();
    return;
  }
  for (int i = 0; i < 2; ++i) {
    const std::string from = package->files.path + "\\" + kFontFiles[i];
    const std::string to = std::string(fonts) + "\\" + kFontFiles[i];
    if (!package->fonts[i].IsOpen()) {
      platform::Log({"font not copied ", from, " -> ", to, ": not in the package, or in use"});
      session.MarkPartial();
    } else if (CopyFont(package->fonts[i], package->fontsRead ? &package->fontBytes[i] : nullptr,
                        from, to, finalFonts + "\\" + kFontFiles[i])) {
      NoteFont(to);
    } else {
      session.MarkPartial();
    }
  }
}

void CopyFontsToHost(const std::string& location, platform::WindowHandle owner) {
  CDialogSession session(owner);
  CopyFontsToHost(location, session, nullptr);
}
