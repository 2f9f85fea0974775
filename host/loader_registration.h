#pragma once
// Registers the plug-in's loader module with the chosen host installations.
#include "host/host_registry.h"

// For each set flag (2021 first), RegisterLoaderForYear with that year.
// False when a loader key or one of its values was not written.
bool RegisterLoaders(CHostRegistry& hosts, bool f2021, bool f2022, bool f2023, bool f2024,
                     bool f2025, bool f2026, bool f2027);

// Below every key path of the year: replaces "Applications\Korvex<year>"
// with LOADCTRLS = 2 and LOADER = <install folder>\Korvex<module year>.ZRX.
// An install folder too long for the loader path leaves the registry alone.
// False when a key or value was not written (the log says which).
bool RegisterLoaderForYear(CHostRegistry& hosts, int year);
