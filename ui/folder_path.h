#pragma once
// The folder picker's path rules and its confirmation dialogue. They need
// only the file system and the application's message box.

// One path component: false when empty, when it begins or ends with a tab,
// a space or ".", or when it holds one of  " * / : < > ? \ |  as a character
// of its own (a double-byte character is one character, whatever the code
// of its second byte).
bool IsValidFolderName(const char* name);

enum FolderCheck : int {
  kFolderValid = 0,
  kFolderInvalid = 1,
  kFolderNotCreated = 2,
};

// Checks an absolute path "X:\..." component by component; unless
// `checkOnly`, creates every missing level on the way. Components are cut at
// each "\" that is a character of its own. Gives kFolderValid,
// kFolderInvalid, or kFolderNotCreated (never in check-only mode). A path
// of more than 259 bytes is invalid.
int CheckFolderPath(const char* path, bool checkOnly);

// 0 when the folder exists or was created after the user agreed; -1 when
// the user declined; kFolderInvalid or kFolderNotCreated after telling the
// user so.
int EnsureFolderExists(const char* path);
