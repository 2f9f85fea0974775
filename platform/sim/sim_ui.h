#pragma once
// The simulated user interface: windows as plain records, GDI objects that
// are counted, a dialog manager that follows Windows' where the installer
// relies on it, a scripted user, and message boxes that are recorded and
// answered by the test.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace platform {
class MessageTarget;
}

namespace platform::sim {

// A brush or a font as CreateSolidBrush and CreateFontA made it.
struct SimGdiObject {
  enum Kind { kBrush, kFont } kind = kBrush;
  bool stock = false, deleted = false;  // stock: a system object, never deleted, not counted
  std::uint32_t color = 0;  // brush
  int height = 0, width = 0, weight = 0;  // font
  bool italic = false;
  unsigned charSet = 0;
  std::string face;
};

// A drawing context handed to one control-colour request.
struct SimDc {
  std::uint32_t textColor = 0;
  int bkMode = 2;  // OPAQUE
  SimGdiObject* font = nullptr;
};

// How a control was last painted: what its control-colour request answered.
struct SimPaint {
  bool painted = false;
  int kind = -1;               // CTLCOLOR_* of the request
  bool brushAlive = false;     // the brush returned was a live object
  std::uint32_t background = 0, textColor = 0;
  int bkMode = 0;
  bool fontSelected = false;   // a font of the dialog's own was selected
  bool fontAlive = false;      // ... and it was not deleted while drawing
  int fontHeight = 0, fontWeight = 0;
  std::string fontFace;
};

// What a progress bar keeps (PBM_*), and every position it showed, in order.
struct SimProgress {
  int rangeMin = 0, rangeMax = 100, step = 10, pos = 0;
  std::vector<int> positions;
};

// A dialog's modal run, ended through EndDialog, and its icons (WM_SETICON).
// A system dialog (the shell's folder browser) has a procedure of its own:
// it gets the commands that a take-over of the window does not handle.
struct SimModal {
  std::function<void(int id, int code)> ownProc;
  bool ended = false;
  int result = 0;
  void *smallIcon = nullptr, *bigIcon = nullptr;
};

// A window: what every window has, then what one kind of window keeps.
struct SimWindow {
  int id = 0;              // control id
  std::string className;   // "msctls_progress32", "BUTTON", "#32770", ...
  std::string text;
  std::uint32_t style = 0, exStyle = 0;
  SimWindow* parent = nullptr;
  std::vector<SimWindow*> children;  // in template order
  bool visible = true, enabled = true, destroyed = false;
  int x = 0, y = 0, cx = 0, cy = 0;  // pixels; a control's relative to its dialog
  void* font = nullptr;              // WM_GETFONT / WM_SETFONT
  SimPaint paint;
  // The object behind the window: a dialog's while it runs, or a take-over's.
  platform::MessageTarget* object = nullptr;
  int checked = 0;      // a check box: BM_GETCHECK
  int textOrdinal = 0;  // a static: its picture resource
  SimProgress progress;
  SimModal modal;       // a dialog
};

struct MessageBoxRecord {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned type;
};

// A modal run of a dialog, as it ended.
struct ModalRun {
  SimWindow* dialog = nullptr;
  int result = 0;
  bool leftOpen = false;  // the scripted user returned without closing it
};

class SimUi {
 public:
  static SimUi& Get();
  void Reset();

  // A window owned by the simulation for as long as it is not reset.
  SimWindow* NewWindow(int id, const std::string& className, SimWindow* parent = nullptr);

  // Every message box shown since the last reset, in order.
  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }
  // Answers the boxes; without an answerer every box gets its first button
  // (OK, Abort or Yes).
  void SetAnswerer(std::function<int(const MessageBoxRecord&)> answerer) {
    answerer_ = std::move(answerer);
  }
  int Show(MessageBoxRecord box);

  // What ActiveWindow() answers; the simulated dialogs set it while they run.
  void SetActiveWindow(SimWindow* window) { active_ = window; }
  SimWindow* ActiveWindow() const { return active_; }

  // Whether the process's window station is visible (an interactive
  // desktop); a service's is not, and no dialog can be created there.
  void SetVisibleStation(bool visible) { visibleStation_ = visible; }
  bool VisibleStation() const { return visibleStation_; }

  // --- The program ---
  // Whether the program has icon resource 1 (it has after a reset).
  void SetHasProgramIcon(bool has) { hasIcon_ = has; }
  bool HasProgramIcon() const { return hasIcon_; }
  void* ProgramIcon() { return &programIcon_; }
  int IconLoads() const { return iconLoads_; }
  void CountIconLoad() { ++iconLoads_; }

  // --- GDI objects ---
  SimGdiObject* NewGdiObject(SimGdiObject object);
  // Brushes and fonts created and not yet deleted.
  int LiveGdiObjects() const;
  int CreatedGdiObjects() const { return static_cast<int>(gdi_.size()); }
  // DeleteObject calls on objects that were deleted already or stock ones.
  int BadDeletes() const { return badDeletes_; }
  void CountBadDelete() { ++badDeletes_; }
  SimGdiObject* StockBrush(std::uint32_t color);
  bool IsLiveGdiObject(const void* object) const;

  // --- The dialog manager and the scripted user ---
  // Runs while a modal dialog runs, once it is shown; the user acts through
  // the operations below, which take the same way through the dialog's
  // message table as on Windows.
  void SetUser(std::function<void()> user) { user_ = std::move(user); }
  const std::function<void()>& User() const { return user_; }

  // Runs while the shell's folder browser runs, once it is initialised;
  // without one the browser is cancelled at once.
  void SetBrowserUser(std::function<void()> user) { browserUser_ = std::move(user); }
  const std::function<void()>& BrowserUser() const { return browserUser_; }

  // The innermost dialog that runs, or none.
  SimWindow* RunningDialog() const { return running_.empty() ? nullptr : running_.back(); }
  void PushRunning(SimWindow* dialog) { running_.push_back(dialog); }
  void PopRunning() { running_.pop_back(); }
  const std::vector<ModalRun>& Runs() const { return runs_; }
  void RecordRun(ModalRun run) { runs_.push_back(run); }

  // The running dialog's control, or none.
  SimWindow* Control(int id) const;
  SimWindow* Focus() const { return focus_; }
  void SetFocus(SimWindow* window) { focus_ = window; }

  // A mouse click on the control: ignored (false) when it is hidden or
  // disabled. An automatic check box toggles; a button takes the focus.
  bool Click(int id);
  // Focus on the edit box, its text replaced by `text` (EN_CHANGE).
  bool Type(int id, const std::string& text);
  // Focus moved by the user (Tab or a click that does not press).
  bool FocusOn(int id);
  // Enter: a push button with the focus is pressed; otherwise the default
  // command IDOK is sent (if control 1 exists it must be enabled).
  bool Enter();
  // Escape and the close box: IDCANCEL (if control 2 exists it must be
  // enabled).
  bool Escape();
  bool CloseBox();
  // Any WM_COMMAND, as a menu or accelerator sends it.
  bool Command(int id, int code = 0);

  // Asks every visible window of the running dialog (the dialog first) for
  // its colours, as painting does.
  void Repaint();

  // Dialog base units of the template font, and the work area of the
  // primary screen.
  static constexpr int kBaseUnitX = 6, kBaseUnitY = 12;
  static constexpr int kWorkWidth = 1024, kWorkHeight = 768;

 private:
  bool Deliver(int id, int code);

  std::vector<std::unique_ptr<SimWindow>> windows_;
  std::vector<MessageBoxRecord> boxes_;
  std::function<int(const MessageBoxRecord&)> answerer_;
  SimWindow* active_ = nullptr;
  bool hasIcon_ = true;
  bool visibleStation_ = true;
  int programIcon_ = 0;
  int iconLoads_ = 0;
  std::vector<std::unique_ptr<SimGdiObject>> gdi_;
  std::vector<std::unique_ptr<SimGdiObject>> stock_;
  int badDeletes_ = 0;
  std::function<void()> user_;
  std::function<void()> browserUser_;
  std::vector<SimWindow*> running_;
  std::vector<ModalRun> runs_;
  SimWindow* focus_ = nullptr;
};

inline SimWindow* AsSimWindow(WindowHandle handle) { return static_cast<SimWindow*>(handle); }
inline SimGdiObject* AsGdiObject(void* object) { return static_cast<SimGdiObject*>(object); }

}  // namespace platform::sim
