// The parts of the dialog framework that are the same on every platform:
// message-table dispatch, the application object, the application message
// box, the report of an invalid-argument error, data exchange.
#include "platform/dialog.h"

#include "platform/codepage.h"
#include "platform/files.h"

namespace platform {

namespace {
Application* g_application = nullptr;
int g_helpRequests = 0;

const MessageEntry kEmptyTable[] = {TARNWELL_END_MESSAGES};

// Runs a handler; an invalid-argument error raised inside it ends it there
// and is reported, and the caller goes on.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const InvalidArgumentError&) {
    ReportInvalidArgument();
  }
}

std::string BaseNameWithoutExtension(const std::string& path) {
  std::size_t start = 0;
  // The last "\", "/" or ":" that is not the second byte of a double-byte
  // character ends the folder part.
  for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    const char c = path[i];
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  std::string name = path.substr(start);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}
}  // namespace

// --- Window -----------------------------------------------------------------

Window::~Window() { Unsubclass(); }

const MessageEntry* Window::GetMessageTable() const { return kEmptyTable; }

bool Window::OnCommand(int id, int code) {
  for (const MessageEntry* e = GetMessageTable(); e && e->message != 0; ++e) {
    if (e->message == kWmCommand && e->id == id && e->code == code && e->command) {
      Guarded([&] { (this->*(e->command))(); });
      return true;
    }
  }
  return false;
}

GdiObject Window::OnColorRequest(DrawContext dc, WindowHandle control, int kind) {
  for (const MessageEntry* e = GetMessageTable(); e && e->message != 0; ++e) {
    if (e->message == kWmCtlColor && e->color) {
      GdiObject brush = nullptr;
      Guarded([&] { brush = (this->*(e->color))(dc, control, kind); });
      return brush;
    }
  }
  return DefaultControlColor(dc, control, kind);
}

// --- Application ------------------------------------------------------------

Application::Application(const char* name) {
  if (name) {
    name_ = name;
    named_ = true;
  }
  previous_ = g_application;
  g_application = this;
}

Application::~Application() {
  if (g_application == this) g_application = previous_;
}

const std::string& Application::Name() const {
  if (!named_) {
    // A path that does not fit MAX_PATH bytes with its NUL gives no name.
    const std::string exe = ExecutablePath();
    name_ = BaseNameWithoutExtension(exe.size() < kPathBuffer ? exe : std::string());
    named_ = true;
  }
  return name_;
}

Application* Application::Current() { return g_application; }

const AppCommandEntry* Application::GetCommandTable() const {
  static const AppCommandEntry kNone[] = {{0, nullptr}};
  return kNone;
}

bool Application::OnCommand(int id) {
  for (const AppCommandEntry* e = GetCommandTable(); e && e->id != 0; ++e) {
    if (e->id == id && e->handler) {
      Guarded([&] { e->handler(); });
      return true;
    }
  }
  return false;
}

void Application::OnHelp() { ++g_helpRequests; }
int Application::HelpRequests() { return g_helpRequests; }

int Application::Run() {
  Name();
  if (ran_) return 0;
  ran_ = true;
  bool loop = false;
  Guarded([&] { loop = RunSetup(); });
  return loop ? RunMessageLoop() : exitCode_;
}

int AppMessageBox(const char* text, unsigned type) {
  const Application* app = Application::Current();
  return ShowMessageBox(ActiveWindow(), text, app ? app->Name().c_str() : "", type);
}

void ReportInvalidArgument() {
  const std::string text = InvalidArgumentText();
  AppMessageBox(text.c_str(), kMbOk | kMbIconStop);
}

// --- Data exchange ------------------------------------------------------------

// Within one modal run the control stays attached to the same window; a new
// run of the same dialog object has new windows and attaches to those, so
// that no control object keeps the handle of a destroyed window.
void ExchangeControl(DataExchange& dx, int id, CheckBox& control) {
  WindowHandle item = dx.dialog->Item(id);
  if (control.Handle() != item) control.Attach(item);
}

void ExchangeControl(DataExchange& dx, int id, ProgressBar& control) {
  WindowHandle item = dx.dialog->Item(id);
  if (control.Handle() != item) control.Attach(item);
}

void ExchangeCheck(DataExchange& dx, int id, int& value) {
  CheckBox box;
  box.Attach(dx.dialog->Item(id));
  if (dx.fromControls)
    value = box.GetCheck();
  else
    box.SetCheck(value);
}

void ExchangeText(DataExchange& dx, int id, std::string& value) {
  WindowHandle item = dx.dialog->Item(id);
  if (dx.fromControls)
    value = GetWindowText(item);
  else
    SetWindowText(item, value);
}

// --- Dialog -----------------------------------------------------------------

Dialog::Dialog(const DialogTemplate& layout, Window* parent) : layout_(layout), parent_(parent) {}

Dialog::~Dialog() = default;

bool Dialog::UpdateData(bool fromControls) {
  DataExchange dx{this, fromControls};
  ExchangeData(dx);
  return true;
}

void Dialog::ExchangeData(DataExchange&) {}

bool Dialog::OnDialogInit() { return UpdateData(false); }

void Dialog::CloseOk() {
  UpdateData(true);
  EndModal(kIdOk);
}

void Dialog::CloseCancel() { EndModal(kIdCancel); }

bool Dialog::OnCommand(int id, int code) {
  if (Window::OnCommand(id, code)) return true;
  if (id == kIdOk) {
    Guarded([&] { CloseOk(); });
    return true;
  }
  if (id == kIdCancel) {
    Guarded([&] { CloseCancel(); });
    return true;
  }
  Application* app = Application::Current();
  return app && app->OnCommand(id);
}

bool Dialog::HandleInit() {
  bool focusFirst = true;
  Guarded([&] { focusFirst = OnDialogInit(); });
  return focusFirst;
}

}  // namespace platform
