#pragma once
// The dialog framework: the application object and its start routine,
// window objects with message tables, the modal dialog made from a template
// with its data exchange, the application message box and the report of an
// error raised inside a handler. Written once over the platform's window
// procedures (platform/dialog_box.h) and window operations
// (platform/window.h).
#include <string>

#include "platform/dialog_box.h"
#include "platform/ui.h"
#include "platform/window.h"

namespace framework {

using platform::DialogTemplate;
using platform::DrawContext;
using platform::GdiObject;
using platform::WindowHandle;

// Stands for every WM_CTLCOLOR* kind in a message table.
constexpr unsigned kWmCtlColor = 0x0132;
constexpr int kIdHelp = 57670;  // ID_HELP

class Window;
using CommandHandler = void (Window::*)();
using ColorHandler = GdiObject (Window::*)(DrawContext dc, WindowHandle control, int kind);

// One row of a message table: WM_COMMAND with a notification code from a
// control id, or a control-colour request (every kind, every control).
struct MessageEntry {
  unsigned message;  // platform::kWmCommand or kWmCtlColor; 0 ends the table
  int code;          // notification code (kWmCommand)
  int id;            // control id (kWmCommand)
  CommandHandler command;
  ColorHandler color;
};

#define TARNWELL_ON_COMMAND(code, id, cls, method) \
  {::platform::kWmCommand, code, id, static_cast<::framework::CommandHandler>(&cls::method), nullptr}
#define TARNWELL_ON_CLICKED(id, cls, method) TARNWELL_ON_COMMAND(::platform::kBnClicked, id, cls, method)
#define TARNWELL_ON_CTLCOLOR(cls, method) \
  {::framework::kWmCtlColor, 0, 0, nullptr, static_cast<::framework::ColorHandler>(&cls::method)}
#define TARNWELL_END_MESSAGES {0, 0, 0, nullptr, nullptr}

// A window object: wraps a window handle and routes messages through its
// message table. It can take over (subclass) a window that exists already:
// the table's notifications are handled here, everything else goes on to
// the window's own procedure.
class Window : public platform::MessageTarget {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowHandle Handle() const { return handle_; }

  // Window take-over; ends by itself when the window is destroyed.
  bool Subclass(WindowHandle window);
  void Unsubclass();

  // WM_COMMAND from control `id` with notification `code`: runs the table's
  // handler; false when the table has none. An invalid-argument error raised
  // by the handler ends it and is reported.
  bool OnCommand(int id, int code) override;
  // A control-colour request: the table's handler, or the default one.
  GdiObject OnColorRequest(DrawContext dc, WindowHandle control, int kind) override;

 protected:
  virtual const MessageEntry* GetMessageTable() const;
  // The colours the platform would use: the default handling of a request.
  GdiObject DefaultControlColor(DrawContext dc, WindowHandle control, int kind);

  // The platform's procedures: a window object is no dialog, and its window
  // going ends a take-over.
  bool OnInitDialog(WindowHandle) override { return true; }
  void OnWindowGone() override;

  WindowHandle handle_ = nullptr;

 private:
  bool subclassed_ = false;
};

// ---------------------------------------------------------------------------
// Application.

// One row of an application's command table.
struct AppCommandEntry {
  int id;  // 0 ends the table
  void (*handler)();
};

// The application object; there is exactly one. Its start routine runs once
// after the process-wide objects are constructed.
class Application {
 public:
  // Without a name the application takes the executable's file name without
  // its extension.
  explicit Application(const char* name = nullptr);
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The start routine: true makes the framework run a message loop.
  virtual bool RunSetup() { return false; }
  virtual const AppCommandEntry* GetCommandTable() const;

  // The application name (the caption of the framework's boxes).
  const std::string& Name() const;
  // Runs the command `id` through the command table; false when it has none.
  bool OnCommand(int id);

  // The default help handler: no help content is part of this system, so
  // it counts the request and shows nothing.
  static void OnHelp();
  static int HelpRequests();

  static Application* Current();

  // Framework entry: fixes the name, runs the start routine once and, if it
  // asks for one, the message loop. Gives the process's exit code: the
  // message loop's, or else what the start routine set (0 unless it set one).
  int Run();

  // The exit code of a run without a message loop.
  void SetExitCode(int code) { exitCode_ = code; }
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_ = 0;
  mutable std::string name_;
  mutable bool named_ = false;
  bool ran_ = false;
  Application* previous_ = nullptr;  // current before this one was made
};

// MessageBoxA owned by the active window, captioned with the application name.
int AppMessageBox(const char* text, unsigned type);
// The box that reports an invalid-argument error raised inside a handler:
// the system's text for E_INVALIDARG with a stop icon.
void ReportInvalidArgument();

// ---------------------------------------------------------------------------
// Control objects and data exchange.

class CheckBox {
 public:
  void Attach(WindowHandle window) { window_ = window; }
  WindowHandle Handle() const { return window_; }
  bool Enable(bool enable) { return platform::EnableWindow(window_, enable); }
  int GetCheck() const { return platform::GetButtonCheck(window_); }
  void SetCheck(int check) { platform::SetButtonCheck(window_, check); }

 private:
  WindowHandle window_ = nullptr;
};

class Dialog;

// One exchange between controls and fields, in one direction.
struct DataExchange {
  Dialog* dialog;
  bool fromControls;
};

// Attaches the control object on the first exchange; later ones do nothing.
void ExchangeControl(DataExchange& dx, int id, CheckBox& control);
void ExchangeControl(DataExchange& dx, int id, platform::ProgressBar& control);
// BM_GETCHECK / BM_SETCHECK.
void ExchangeCheck(DataExchange& dx, int id, int& value);
// GetWindowTextA / SetWindowTextA.
void ExchangeText(DataExchange& dx, int id, std::string& value);

// ---------------------------------------------------------------------------
// The modal dialog.

class Dialog : public Window {
 public:
  Dialog(const DialogTemplate& layout, Window* parent);
  ~Dialog() override;

  // Creates the window from the template, runs it modally and destroys it:
  // the result given to EndModal, or -1 when the window cannot be created.
  int DoModal();

  // Data exchange in the given direction; never fails without validation.
  bool UpdateData(bool fromControls);

  virtual void ExchangeData(DataExchange& dx);
  // The framework's initialisation: one exchange to the controls. True lets
  // the platform give the focus to the first enabled tab stop.
  virtual bool OnDialogInit();
  // The OK command: exchange from the controls, end with 1.
  virtual void CloseOk();
  // The Cancel command: end with 2.
  virtual void CloseCancel();

  // Marks the modal run as ended; the window goes when control returns to
  // the dialog's message loop.
  void EndModal(int result);
  bool Ended() const { return ended_; }

  WindowHandle Item(int id) const { return platform::GetDlgItem(handle_, id); }
  bool OnCommand(int id, int code) override;

  const DialogTemplate& Layout() const { return layout_; }
  Window* Parent() const { return parent_; }

 protected:
  // WM_INITDIALOG: the handle, then OnDialogInit.
  bool OnInitDialog(WindowHandle dialog) override;

 private:
  const DialogTemplate& layout_;
  Window* parent_;
  bool ended_ = false;
};

}  // namespace framework
