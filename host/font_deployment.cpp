#include "host/font_deployment.h"

#include "package/install_paths.h"
#include "package/install_record.h"
#include "package/package_copy.h"
#include "package/package_layout.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/ui.h"

void InstallFonts(CHostRegistry& hosts, CInstallSession& session, bool f2021, bool f2022,
                  bool f2023, bool f2024, bool f2025, bool f2026, bool f2027) {
  const bool flags[kHostYearCount] = {f2021, f2022, f2023, f2024, f2025, f2026, f2027};
  for (int i = 0; i < kHostYearCount; ++i) {
    if (!flags[i]) continue;
    const StringList& locations = hosts.m_locations[i];
    for (std::size_t j = 0; j < locations.Count(); ++j) CopyFontsToHost(locations.At(j), session);
  }
}

void InstallFonts(CHostRegistry& hosts, platform::WindowHandle owner, bool f2021, bool f2022,
                  bool f2023, bool f2024, bool f2025, bool f2026, bool f2027) {
  CDialogSession session(owner);
  InstallFonts(hosts, session, f2021, f2022, f2023, f2024, f2025, f2026, f2027);
}

void CopyFontsToHost(const std::string& location, CInstallSession& session) {
  std::string source;
  // On failure the message has been given; copying from an unset source
  // would take the fonts from the root of the current drive.
  if (!GetPackageSource(source, session)) {
    platform::Log("no font copied to " + location + ": the package source was not found");
    session.MarkPartial();
    return;
  }
  PathBuffer fonts;
  if (!ComposePath(fonts, {location, "\\", kFontsFolder})) {
    platform::Log("no font copied to " + location + ": its Fonts folder would pass 259 bytes");
    session.MarkPartial();
    return;
  }
  for (const char* font : kFontFiles) {
    const std::string from = source + "\\" + font;
    const std::string to = std::string(fonts) + "\\" + font;
    if (CopyOneFileLogged("font", from, to))
      NoteFont(to);
    else
      session.MarkPartial();
  }
}

void CopyFontsToHost(const std::string& location, platform::WindowHandle owner) {
  CDialogSession session(owner);
  CopyFontsToHost(location, session);
}
