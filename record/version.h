// The installer's version, defined once: the dialog's version line
// (g_versionNumber, year * 10000 + month * 100 + day) and the version
// resource of SetUp.exe (ui/setup.rc: FileVersion and ProductVersion
// year.month.day.0) both come from here. Read by C++ and by the resource
// compiler: preprocessor definitions only.
#ifndef TARNWELL_RECORD_VERSION_H
#define TARNWELL_RECORD_VERSION_H

#define TARNWELL_VERSION_YEAR 2026
#define TARNWELL_VERSION_MONTH 5
#define TARNWELL_VERSION_DAY 12

#define TARNWELL_VERSION_NUMBER \
  (TARNWELL_VERSION_YEAR * 10000 + TARNWELL_VERSION_MONTH * 100 + TARNWELL_VERSION_DAY)

#define TARNWELL_VERSION_STRINGIZE_(x) #x
#define TARNWELL_VERSION_STRINGIZE(x) TARNWELL_VERSION_STRINGIZE_(x)
// "2026.5.12.0"
#define TARNWELL_VERSION_TEXT \
  TARNWELL_VERSION_STRINGIZE(TARNWELL_VERSION_YEAR.TARNWELL_VERSION_MONTH.TARNWELL_VERSION_DAY.0)

#endif
