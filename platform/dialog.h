#pragma once
// The dialog framework: the application object and its start routine, window
// objects with message tables, the modal dialog built from a template
// resource with its data exchange. Written over plain Win32 (win32/) and over
// the simulated user interface (sim/); the window and drawing operations it
// uses are platform/window.h.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/window.h"

namespace platform {

// Messages and notifications, numbered as Windows numbers them.
constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmCtlColor = 0x0132;  // stands for every WM_CTLCOLOR* kind in a table
constexpr int kBnClicked = 0;
constexpr int kEnChange = 0x0300;
constexpr int kIdHelp = 57670;  // ID_HELP

// Kinds of control colour request (CTLCOLOR_*): WM_CTLCOLORMSGBOX + kind.
enum ControlColorKind : int {
  kCtlColorMsgBox = 0,
  kCtlColorEdit = 1,
  kCtlColorListBox = 2,
  kCtlColorBtn = 3,
  kCtlColorDlg = 4,
  kCtlColorScrollBar = 5,
  kCtlColorStatic = 6,
};

class Window;
using CommandHandler = void (Window::*)();
using ColorHandler = GdiObject (Window::*)(DrawContext dc, WindowHandle control, int kind);

// One row of a message table: WM_COMMAND with a notification code from a
// control id, or a control-colour request (every kind, every control).
struct MessageEntry {
  unsigned message;  // kWmCommand or kWmCtlColor; 0 ends the table
  int code;          // notification code (kWmCommand)
  int id;            // control id (kWmCommand)
  CommandHandler command;
  ColorHandler color;
};

#define TARNWELL_ON_COMMAND(code, id, cls, method) \
  {::platform::kWmCommand, code, id, static_cast<::platform::CommandHandler>(&cls::method), nullptr}
#define TARNWELL_ON_CLICKED(id, cls, method) TARNWELL_ON_COMMAND(::platform::kBnClicked, id, cls, method)
#define TARNWELL_ON_CTLCOLOR(cls, method) \
  {::platform::kWmCtlColor, 0, 0, nullptr, static_cast<::platform::ColorHandler>(&cls::method)}
#define TARNWELL_END_MESSAGES {0, 0, 0, nullptr, nullptr}

// A window object: wraps a window handle and routes messages through its
// message table. It can take over (subclass) a window that exists already:
// the table's notifications are handled here, everything else goes on to
// the window's own procedure.
class Window {
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
  virtual bool OnCommand(int id, int code);
  // A control-colour request: the table's handler, or the default one.
  GdiObject OnColorRequest(DrawContext dc, WindowHandle control, int kind);

 protected:
  virtual const MessageEntry* GetMessageTable() const;
  // The colours the platform would use: the default handling of a request.
  GdiObject DefaultControlColor(DrawContext dc, WindowHandle control, int kind);

  WindowHandle handle_ = nullptr;
  void* previousProc_ = nullptr;  // the subclassed window's own procedure
  friend struct WindowAccess;
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
// The system's message text for E_INVALIDARG (FormatMessageA).
std::string InvalidArgumentText();
// The box that reports an invalid-argument error raised inside a handler.
void ReportInvalidArgument();

// GetMessage/DispatchMessage until WM_QUIT; gives its exit code.
int RunMessageLoop();

// ---------------------------------------------------------------------------
// Dialog templates, in the form the C++ side keeps them.

struct DialogItemTemplate {
  int id;
  const char* className;  // "BUTTON", "STATIC", "EDIT", "msctls_progress32"
  const char* text;       // nullptr: no text (or a resource ordinal below)
  int textOrdinal;        // resource id of a picture; 0 for none
  short x, y, cx, cy;
  std::uint32_t style;
  std::uint32_t exStyle;
};

struct DialogTemplate {
  int resourceId;
  const char* caption;
  short x, y, cx, cy;
  std::uint32_t style;
  std::uint32_t exStyle;
  int pointSize;
  int weight;
  bool italic;
  int charSet;
  const char* face;
  std::vector<DialogItemTemplate> items;
};

// Style bits, numbered as Windows numbers them.
namespace style {
constexpr std::uint32_t kPopup = 0x80000000, kChild = 0x40000000, kVisible = 0x10000000,
                        kCaption = 0x00C00000, kBorder = 0x00800000, kSysMenu = 0x00080000,
                        kGroup = 0x00020000, kTabStop = 0x00010000, kMinimizeBox = 0x00020000;
constexpr std::uint32_t kDsModalFrame = 0x80, kDsSetFont = 0x40;
constexpr std::uint32_t kExClientEdge = 0x200;
constexpr std::uint32_t kBsPushButton = 0x0, kBsDefPushButton = 0x1, kBsAutoCheckBox = 0x3,
                        kBsTypeMask = 0xF;
constexpr std::uint32_t kSsLeft = 0x0, kSsCenter = 0x1, kSsBitmap = 0xE, kSsEtchedHorz = 0x10,
                        kSsTypeMask = 0x1F;
constexpr std::uint32_t kEsAutoHScroll = 0x80;
}  // namespace style

// ---------------------------------------------------------------------------
// Control objects and data exchange.

class CheckBox {
 public:
  void Attach(WindowHandle window) { window_ = window; }
  WindowHandle Handle() const { return window_; }
  bool Enable(bool enable) { return EnableWindow(window_, enable); }
  int GetCheck() const;        // BM_GETCHECK
  void SetCheck(int check);    // BM_SETCHECK

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
void ExchangeControl(DataExchange& dx, int id, ProgressBar& control);
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

  WindowHandle Item(int id) const { return GetDlgItem(handle_, id); }
  bool OnCommand(int id, int code) override;

  const DialogTemplate& Layout() const { return layout_; }
  Window* Parent() const { return parent_; }

  // Called by the platform's dialog procedure.
  bool HandleInit();

 private:
  const DialogTemplate& layout_;
  Window* parent_;
  bool ended_ = false;
  int result_ = 0;
  friend struct DialogAccess;
};

}  // namespace platform
