// The setup dialog as the install sequence's site: the controls it reads,
// the progress mode, the bar and the boxes, all owned by the dialog.
#include "install/install_sequence.h"
#include "platform/window.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"

namespace {

// The setup dialog as the sequence's site: boxes owned by the dialog.
class CDialogSite : public CInstallSite {
 public:
  explicit CDialogSite(Dlg_Setup& dialog) : dialog_(dialog), session_(dialog.Handle()) {}
  CInstallSession& Session() override { return session_; }
  void ReadControls() override { dialog_.UpdateData(true); }
  void EnterProgressMode() override {
    platform::ShowWindow(dialog_.Item(kIdPathLabel), platform::kSwHide);
    platform::ShowWindow(dialog_.Item(kIdInstallPath), platform::kSwHide);
    platform::ShowWindow(dialog_.Item(kIdBrowse), platform::kSwHide);
    platform::ShowWindow(dialog_.Item(kIdProgress), platform::kSwShowNormal);
  }
  platform::ProgressBar& Progress() override { return dialog_.m_progress; }
  void CloseOk() override { dialog_.CloseOk(); }
  void CloseCancel() override { dialog_.CloseCancel(); }

 private:
  Dlg_Setup& dialog_;
  CDialogSession session_;
};

}  // namespace


void Dlg_Setup::OnInstall() {
  CDialogSite site(*this);
  const int code = RunInstallSequence(site, m_installPath, m_yearSelected);
  if (code != kInstallNotRun) m_exitCode = code;
}

