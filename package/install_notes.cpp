#include "package/install_notes.h"

#include "package/sha256.h"
#include "platform/files.h"

InstallNotes* g_installRecord = nullptr;
RecordAhead* g_recordAhead = nullptr;

void NoteCreatedFolder(const std::string& path) {
  if (g_installRecord) g_installRecord->AddCreatedFolder(path);
}
void NoteFile(const std::string& path) {
  if (g_installRecord) g_installRecord->AddFile(path);
}
void NoteLibraryFile(const std::string& path) {
  if (g_installRecord) g_installRecord->AddLibraryFile(path);
}
void NoteLoaderKey(const std::string& keyPath) {
  if (g_installRecord) g_installRecord->AddLoaderKey(keyPath);
}
void NoteApplicationsKey(const std::string& keyPath) {
  if (g_installRecord) g_installRecord->AddApplicationsKey(keyPath);
}
void NoteFont(const std::string& path) {
  if (!g_installRecord) return;
  std::string content;
  if (platform::ReadWholeFile(path.c_str(), kFontSizeLimit, &content))
    g_installRecord->AddFont(path, Sha256Hex(content));
}

bool NotePhase(const char* phase, const PhaseIntents& intents) {
  return !g_recordAhead || g_recordAhead->BeginPhase(phase, intents);
}
