#pragma once
// Copies the plug-in's two SHX fonts into the "Fonts" folder of the chosen
// host installations.
#include <string>

#include "host/host_registry.h"
#include "package/copy_session.h"
#include "package/opened_package.h"
#include "platform/ui.h"

// For each set flag (2021 first), CopyFontsToHost for every location of
// that year, from the fonts the package copy opened (`package`), or, when it
// opened none, from the package as found now; the missing-package message
// goes to `session`.
void InstallFonts(CHostRegistry& hosts, CInstallSession& session, const OpenedPackage* package,
                  bool f2021, bool f2022, bool f2023, bool f2024, bool f2025, bool f2026,
                  bool f2027);
// The same for a person: `owner` (the setup dialog) owns the message.
void InstallFonts(CHostRegistry& hosts, platform::WindowHandle owner, bool f2021, bool f2022,
                  bool f2023, bool f2024, bool f2025, bool f2026, bool f2027);

// Copies Korvex_EN.shx, then Korvex_HZ.shx, from the package into
// <location>\Fonts, overwriting; every failure is silent (the log records
// it). The folder is not created; a location too long for its fonts folder,
// and a Fonts folder that is a link or lies elsewhere than in the location,
// get nothing, and a font name that leads anywhere else is not written. When
// the package cannot be found, the session is told (once per call) and
// nothing is copied.
void CopyFontsToHost(const std::string& location, CInstallSession& session,
                     const OpenedPackage* package = nullptr);
void CopyFontsToHost(const std::string& location, platform::WindowHandle owner);
