// The Install button: the one-time warning that the host program runs, the
// install folder and its "Tarnwell" subfolder, then the package copy, the
// loader registration and the fonts with the progress bar, and the closing
// message.
#include "host/font_deployment.h"
#include "host/host_process.h"
#include "host/host_registry.h"
#include "host/loader_registration.h"
#include "package/folder_lock.h"
#include "package/install_paths.h"
#include "package/install_target.h"
#include "package/package_copy.h"
#include "package/package_layout.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"

bool g_warnHostRunning = true;

namespace {

constexpr const char* kCloseHostText = "请关闭CAD后再进行安装 !";
constexpr const char* kCloseHostCaption = "Tarnwell软件安装";
constexpr const char* kDoneText = "安装完成，重启CAD即可使用 !";
constexpr const char* kDoneCaption = "Tarnwell工具箱安装";

constexpr int kProgressMax = 50;

// One trailing "\" off, tested by character: a path that ends in a
// double-byte character whose second byte is 0x5C keeps that character.
void DropTrailingSeparator(std::string& path) {
  if (platform::EndsWithChar(path, '\\')) path.pop_back();
}

}  // namespace

void Dlg_Setup::OnInstall() {
  if (g_warnHostRunning && IsHostRunning()) {
    platform::ShowMessageBox(Handle(), kCloseHostText, kCloseHostCaption, platform::kMbOk);
    g_warnHostRunning = false;
    return;
  }
  UpdateData(true);
  if (m_installPath.empty()) throw platform::InvalidArgumentError();
  DropTrailingSeparator(m_installPath);
  // Every path made from the install folder must fit its 260-byte buffer:
  // refuse a folder that is too long before anything is created.
  if (!InstallFolderFits(m_installPath + "\\" + kInstallSubfolder)) {
    ShowInstallPathTooLong(Handle());
    return;
  }
  // Below a drive's root every signed-in user may change a new folder: lock
  // the chosen folder when this run made it (an existing one may be the
  // user's own and stays as it is), and the install folder whether it is new
  // or was there before, all before anything is copied.
  if (platform::MakeFolder(m_installPath.c_str())) LockNewFolder(m_installPath);
  m_installPath += "\\";
  m_installPath += kInstallSubfolder;
  platform::MakeFolder(m_installPath.c_str());
  TakeOverFolder(m_installPath);
  if (!RunInstall()) return;
  platform::ShowMessageBox(Handle(), kDoneText, kDoneCaption, platform::kMbOk);
  CloseOk();
}

bool Dlg_Setup::RunInstall() {
  platform::ShowWindow(Item(kIdPathLabel), platform::kSwHide);
  platform::ShowWindow(Item(kIdInstallPath), platform::kSwHide);
  platform::ShowWindow(Item(kIdBrowse), platform::kSwHide);
  platform::ShowWindow(Item(kIdProgress), platform::kSwShowNormal);
  m_progress.SetRange(0, kProgressMax);
  m_progress.SetStep(1);
  m_progress.SetPos(0);

  CInstallTarget target(m_installPath, m_progress);
  if (!CopyPackageFiles(target)) {
    CloseCancel();
    return false;
  }
  CopyExtensionLibrary(target);
  m_progress.StepIt();

  g_hostRegistry.m_installFolder = m_installPath;
  DropTrailingSeparator(g_hostRegistry.m_installFolder);
  const std::int32_t* f = m_yearSelected;
  RegisterLoaders(g_hostRegistry, f[0] != 0, f[1] != 0, f[2] != 0, f[3] != 0, f[4] != 0, f[5] != 0,
                  f[6] != 0);
  m_progress.StepIt();
  InstallFonts(g_hostRegistry, Handle(), f[0] != 0, f[1] != 0, f[2] != 0, f[3] != 0, f[4] != 0,
               f[5] != 0, f[6] != 0);
  m_progress.StepIt();
  m_progress.SetPos(kProgressMax);
  return true;
}
