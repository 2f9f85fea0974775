#pragma once
// The folder picker: the shell's folder browser with an edit box above the
// tree that shows the selected folder's path and takes a typed one, an OK
// button enabled only while there is a path, and a check of that path (with
// an offer to create a missing folder) before the browser may close.
#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "platform/files.h"
#include "platform/folder_browser.h"

class CPathDialog;

// Takes over the browser window while it runs.
class CPathDialogSub : public framework::Window {
 public:
  ~CPathDialogSub() override;

  // The browser's OK button: checks the path in the edit box.
  void OnBrowserOk();
  // The edit box changed: mirrors it into the picker and sets OK's state.
  void OnFolderEditChange();

  CPathDialog* m_picker = nullptr;

 protected:
  const framework::MessageEntry* GetMessageTable() const override;
};

class CPathDialog {
 public:
  // Caption, title and initial folder are borrowed: the caller keeps them
  // alive until the picker is destroyed. No caption keeps the browser's
  // own; no initial folder selects the current directory.
  CPathDialog(const char* caption, const char* title, const char* initialFolder,
              framework::Window* parent);
  virtual ~CPathDialog();
  CPathDialog(const CPathDialog&) = delete;
  CPathDialog& operator=(const CPathDialog&) = delete;

  // 1 when OK accepted a folder; -1 when cancelled, closed, or the browser
  // cannot be started.
  virtual int ShowModal();
  // The accepted path; read it after ShowModal gave 1.
  std::string GetFolderPath() const;

  static int BrowseCallback(platform::WindowHandle browser, unsigned event, std::intptr_t eventData,
                            std::intptr_t param);

  const char* m_caption;
  const char* m_initialFolder;
  char m_path[platform::kPathBuffer];
  platform::BrowseInfo m_browseInfo;
  platform::WindowHandle m_browserHandle = nullptr;
  platform::WindowHandle m_owner;
  std::int32_t m_accepted = 0;
  CPathDialogSub m_browserWindow;
};

// Control id of the edit box the picker adds to the browser.
constexpr int kFolderEditId = 14148;
