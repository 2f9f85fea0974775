// The bench's baseline: a program built exactly like SetUp.exe (same
// toolchain, framework, resources and manifest) whose start routine shows
// template 141 with the framework's dialog alone: no host scan, no
// initialisation of its own, no colours.
#include "framework/dialog.h"
#include "ui/setup_template.h"

namespace {
class BareApp : public framework::Application {
 public:
  bool RunSetup() override {
    framework::Dialog dialog(kSetupDialogTemplate, nullptr);
    dialog.DoModal();
    return false;
  }
};
BareApp theBareApp;
}  // namespace
