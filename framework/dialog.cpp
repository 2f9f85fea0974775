// The dialog framework: message-table dispatch, window take-over, the
// application object, the application message box, the report of an
// invalid-argument error, data exchange and the modal dialog.
#include "framework/dialog.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/system.h"

namespace framework {

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
  } catch (const platform::InvalidArgumentError&) {
    ReportInvalidArgument();
  }
}

std::string BaseNameWithoutExtension(const std::string& path) {
  std::size_t start = 0;
  // The last "\", "/" or ":" that is not the second byte of a double-byte
  // character ends the folder part.
  for (std::size_t i = 0; i < path.size(); i += platform::CharLength(path, i)) {
    const char c = path[i];
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  std::string name = path.substr(start);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

// The program's start routine: the current application object's run.
int RunCurrentApplication() {
  Application* app = Application::Current();
  return app ? app->Run() : 0;
}
}  // namespace

// --- Window -----------------------------------------------------------------

Window::~Window() { Unsubclass(); }

bool Window::Subclass(WindowHandle window) {
  if (handle_ || !window || !platform::SubclassWindow(window, *this)) return false;
  handle_ = window;
  subclassed_ = true;
  return true;
}

void Window::Unsubclass() {
  if (!subclassed_) return;
  platform::UnsubclassWindow(handle_);
  subclassed_ = false;
  handle_ = nullptr;
}

void Window::OnWindowGone() {
  Unsubclass();
  handle_ = nullptr;
}

const MessageEntry* Window::GetMessageTable() const { return kEmptyTable; }

bool Window::OnCommand(int id, int code) {
  for (const MessageEntry* e = GetMessageTable(); e && e->message != 0; ++e) {
    if (e->message == platform::kWmCommand && e->id == id && e->code == code && e->command) {
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

GdiObject Window::DefaultControlColor(DrawContext dc, WindowHandle control, int kind) {
  return platform::DefaultControlColor(handle_, dc, control, kind);
}

// --- Application ------------------------------------------------------------

Application::Application(const char* name) {
  if (name) {
    name_ = name;
    named_ = true;
  }
  previous_ = g_application;
  g_application = this;
  platform::SetProgramStart(&RunCurrentApplication);
}

Application::~Application() {
  if (g_application == this) g_application = previous_;
}

const std::string& Application::Name() const {
  if (!named_) {
    // A path that does not fit MAX_PATH bytes with its NUL gives no name.
    const std::string exe = platform::ExecutablePath();
    name_ = BaseNameWithoutExtension(exe.size() < platform::kPathBuffer ? exe : std::string());
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
  return loop ? platform::RunMessageLoop() : exitCode_;
}

int AppMessageBox(const char* text, unsigned type) {
  const Application* app = Application::Current();
  return platform::ShowMessageBox(platform::ActiveWindow(), text, app ? app->Name().c_str() : "",
                                  type);
}

void ReportInvalidArgument() {
  const std::string text = platform::InvalidArgumentText();
  AppMessageBox(text.c_str(), platform::kMbOk | platform::kMbIconStop);
}

// --- Data exchange ------------------------------------------------------------

// Within one modal run the control stays attached to the same window; a new
// run of the same dialog object has new windows and attaches to those, so
// that no control object keeps the handle of a destroyed window.
void ExchangeControl(DataExchange& dx, int id, CheckBox& control) {
  WindowHandle item = dx.dialog->Item(id);
  if (control.Handle() != item) control.Attach(item);
}

void ExchangeControl(DataExchange& dx, int id, platform::ProgressBar& control) {
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
    value = platform::GetWindowText(item);
  else
    platform::SetWindowText(item, value);
}

// --- Dialog -----------------------------------------------------------------

Dialog::Dialog(const DialogTemplate& layout, Window* parent) : layout_(layout), parent_(parent) {}

Dialog::~Dialog() = default;

bool Dialog::UpdateData(bool fromControls) {
  DataExchange dx{this, fromControls};
  ExchangeData(dx);
  return true;
}

int Dialog::DoModal() {
  ended_ = false;
  const int result =
      platform::RunModalDialog(layout_, parent_ ? parent_->Handle() : nullptr, *this);
  handle_ = nullptr;
  return result;
}

void Dialog::EndModal(int result) {
  ended_ = true;
  platform::EndDialog(handle_, result);
}

void Dialog::ExchangeData(DataExchange&) {}

bool Dialog::OnDialogInit() { return UpdateData(false); }

void Dialog::CloseOk() {
  UpdateData(true);
  EndModal(platform::kIdOk);
}

void Dialog::CloseCancel() { EndModal(platform::kIdCancel); }

bool Dialog::OnCommand(int id, int code) {
  if (Window::OnCommand(id, code)) return true;
  if (id == platform::kIdOk) {
    Guarded([&] { CloseOk(); });
    return true;
  }
  if (id == platform::kIdCancel) {
    Guarded([&] { CloseCancel(); });
    return true;
  }
  Application* app = Application::Current();
  return app && app->OnCommand(id);
}

bool Dialog::OnInitDialog(WindowHandle dialog) {
  handle_ = dialog;
  bool focusFirst = true;
  Guarded([&] { focusFirst = OnDialogInit(); });
  return focusFirst;
}

}  // namespace framework
