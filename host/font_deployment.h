#pragma once
// Copies the plug-in's two SHX fonts into the "Fonts" folder of the chosen
// host installations.
#include <string>

#include "host/host_registry.h"
#include "package/install_session.h"

// For each set flag (2021 first), CopyFontsToHost for every location of
// that year; the package source's message goes to `session`.
void InstallFonts(CHostRegistry& hosts, CInstallSession& session, bool f2021, bool f2022,
                  bool f2023, bool f2024, bool f2025, bool f2026, bool f2027);
// The same, telling a person in a box owned by the active window.
void InstallFonts(CHostRegistry& hosts, bool f2021, bool f2022, bool f2023, bool f2024,
                  bool f2025, bool f2026, bool f2027);

// Copies Korvex_EN.shx, then Korvex_HZ.shx, from the package into
// <location>\Fonts, overwriting; every failure is silent (the log records
// it). The folder is not created, and a location too long for its fonts
// folder gets nothing.
void CopyFontsToHost(const std::string& location, CInstallSession& session);
void CopyFontsToHost(const std::string& location);
