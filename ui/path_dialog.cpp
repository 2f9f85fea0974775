#include "ui/path_dialog.h"

#include <cstring>

#include "platform/codepage.h"
#include "platform/files.h"
#include "ui/folder_path.h"

namespace {

constexpr std::uint32_t kEditStyle = 0x50010080;  // child, visible, tab stop, auto h-scroll
constexpr std::uint32_t kEditExStyle = 0x200;     // client edge
constexpr int kEditTopAboveTree = 27;
constexpr int kEditBottomAboveTree = 4;

// Reads the edit box into the picker's mirror of kPathBuffer bytes.
void ReadEdit(CPathDialog& picker) {
  const std::string text =
      platform::GetWindowText(platform::GetDlgItem(picker.m_browserHandle, kFolderEditId));
  const std::size_t n = text.size() < sizeof picker.m_path ? text.size() : sizeof picker.m_path - 1;
  std::memcpy(picker.m_path, text.data(), n);
  picker.m_path[n] = '\0';
}

}  // namespace

CPathDialogSub::~CPathDialogSub() { Unsubclass(); }

const framework::MessageEntry* CPathDialogSub::GetMessageTable() const {
  static const framework::MessageEntry kTable[] = {
      TARNWELL_ON_CLICKED(platform::kBrowserOkId, CPathDialogSub, OnBrowserOk),
      TARNWELL_ON_COMMAND(platform::kEnChange, kFolderEditId, CPathDialogSub, OnFolderEditChange),
      TARNWELL_END_MESSAGES,
  };
  return kTable;
}

void CPathDialogSub::OnFolderEditChange() {
  ReadEdit(*m_picker);
  platform::BrowserEnableOk(m_picker->m_browserHandle, m_picker->m_path[0] != '\0');
}

void CPathDialogSub::OnBrowserOk() {
  ReadEdit(*m_picker);
  // A folder whose name GBK cannot hold is taken as it is: the install
  // refuses it with its own message, before anything is created.
  if (!platform::HoldsUnnamedChar(m_picker->m_path) && EnsureFolderExists(m_picker->m_path) != 0) {
    platform::SetFocus(platform::GetDlgItem(m_picker->m_browserHandle, kFolderEditId));
    return;
  }
  m_picker->m_accepted = 1;
  platform::EndDialog(m_picker->m_browserHandle, 1);
}

CPathDialog::CPathDialog(const char* caption, const char* title, const char* initialFolder,
                         framework::Window* parent)
    : m_caption(caption), m_initialFolder(initialFolder), m_path{} {
  // The owner: the parent given, or else the active window (the
  // application registers no main window); a child window gives way to its
  // nearest ancestor that is not one; without a parent, that window's most
  // recently active pop-up.
  platform::WindowHandle owner = parent ? parent->Handle() : platform::ActiveWindow();
  while (owner && platform::IsChildWindow(owner)) owner = platform::ParentOf(owner);
  if (!parent && owner) owner = platform::LastActivePopup(owner);
  m_owner = owner;
  m_browseInfo.owner = m_owner;
  m_browseInfo.root = nullptr;
  m_browseInfo.title = title;
  m_browseInfo.flags = platform::kBifReturnOnlyFsDirs | platform::kBifStatusText;
  m_browseInfo.callback = &CPathDialog::BrowseCallback;
  m_browserWindow.m_picker = this;
}

CPathDialog::~CPathDialog() = default;

std::string CPathDialog::GetFolderPath() const { return m_path; }

int CPathDialog::ShowModal() {
  char displayName[platform::kPathBuffer] = {};
  m_browseInfo.param = reinterpret_cast<std::intptr_t>(this);
  m_browseInfo.callback = &CPathDialog::BrowseCallback;
  m_browseInfo.displayName = displayName;

  platform::ShellAllocator allocator;
  if (!allocator.Acquire()) return -1;
  m_accepted = 0;
  platform::ItemList items = platform::BrowseForFolder(m_browseInfo);
  if (items) allocator.Free(items);
  const int result = m_accepted ? 1 : -1;
  allocator.Release();
  m_browseInfo.displayName = nullptr;
  return result;
}

int CPathDialog::BrowseCallback(platform::WindowHandle browser, unsigned event,
                                std::intptr_t eventData, std::intptr_t param) {
  auto* picker = reinterpret_cast<CPathDialog*>(param);
  if (event == platform::kBffmInitialized) {
    picker->m_browserHandle = browser;
    if (picker->m_caption) platform::SetWindowText(browser, picker->m_caption);
    picker->m_browserWindow.Subclass(browser);
    platform::ShowWindow(platform::GetDlgItem(browser, platform::kBrowserStatusId),
                         platform::kSwHide);
    const platform::Rect tree =
        platform::WindowRect(platform::GetDlgItem(browser, platform::kBrowserTreeId));
    platform::Rect edit{tree.left, tree.top - kEditTopAboveTree, tree.right,
                        tree.top - kEditBottomAboveTree};
    edit = platform::ScreenToClientRect(browser, edit);
    platform::WindowHandle box = platform::CreateChildWindow(kEditExStyle, "EDIT", "", kEditStyle,
                                                             edit, browser, kFolderEditId);
    platform::ShowWindow(box, platform::kSwShowNormal);
    platform::CopyWindowFont(browser, box);
    const std::string current = picker->m_initialFolder ? "" : platform::CurrentFolder();
    platform::BrowserSetSelection(browser,
                                  picker->m_initialFolder ? picker->m_initialFolder : current.c_str());
  } else if (event == platform::kBffmSelChanged) {
    char work[platform::kPathBuffer] = {};
    if (!platform::PathFromItemList(reinterpret_cast<platform::ItemList>(eventData), work) ||
        work[1] != ':') {
      work[0] = '\0';
      platform::BrowserEnableOk(browser, false);
    } else {
      platform::BrowserEnableOk(browser, true);
    }
    if (platform::WindowHandle box = platform::GetDlgItem(browser, kFolderEditId))
      platform::SetWindowText(box, work);
  }
  return 0;
}
