#pragma once
// Modal dialog boxes made from a template, window take-over (subclassing)
// and the message loop: the window procedures that the dialog framework
// (framework/) builds on. The platform owns the procedures; the object
// behind a window answers them through MessageTarget.
#include <cstdint>
#include <vector>

#include "platform/ui.h"
#include "platform/window.h"

namespace platform {

// Messages and notifications, numbered as Windows numbers them.
constexpr unsigned kWmCommand = 0x0111;
constexpr int kBnClicked = 0;
constexpr int kEnChange = 0x0300;

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

// ---------------------------------------------------------------------------
// Dialog templates, in the form the C++ side keeps them. The Win32 build
// creates a dialog from the resource of the same id; the simulation builds
// its windows from the template itself.

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
// Window procedures.

// What the platform's dialog and take-over procedures ask of the object
// behind a window.
class MessageTarget {
 public:
  // WM_INITDIALOG: the dialog's window exists. True lets the dialog manager
  // give the focus to the first enabled tab stop.
  virtual bool OnInitDialog(WindowHandle dialog) = 0;
  // WM_COMMAND from control `id` with notification `code`: false when the
  // object does not handle it.
  virtual bool OnCommand(int id, int code) = 0;
  // WM_CTLCOLOR*: the brush the control paints its background with.
  virtual GdiObject OnColorRequest(DrawContext dc, WindowHandle control, int kind) = 0;
  // WM_NCDESTROY: the window is gone (a take-over has ended by then).
  virtual void OnWindowGone() = 0;

 protected:
  ~MessageTarget() = default;
};

// DialogBoxParamW of the template's resource (a Unicode window: its texts are the
// template's UTF-16 whatever the system code page), owned by `owner`: registers
// the common control classes first, calls `target` from the dialog
// procedure, centres the dialog in the work area of the primary screen once
// it is initialised, and runs it modally until EndDialog. Gives EndDialog's
// result, or -1 when the window cannot be created.
int RunModalDialog(const DialogTemplate& layout, WindowHandle owner, MessageTarget& target);

// Takes over a window that exists already (SetPropW, then SetWindowLongPtrW
// with GWLP_WNDPROC): commands that `target` handles end there, WM_NCDESTROY
// reaches OnWindowGone, and every message then goes on to the window's own
// procedure. False when the window is taken over already.
bool SubclassWindow(WindowHandle window, MessageTarget& target);
// Gives the window its own procedure back; nothing when it is not taken over.
void UnsubclassWindow(WindowHandle window);

// DefWindowProcW of a WM_CTLCOLOR* request to `window`: the system's colours.
GdiObject DefaultControlColor(WindowHandle window, DrawContext dc, WindowHandle control,
                              int kind);

// GetMessageW / TranslateMessage / DispatchMessageW until WM_QUIT; gives its
// exit code.
int RunMessageLoop();

}  // namespace platform
