#pragma once
// Drives the real SetUp.exe from another Windows process: starts it, finds
// its dialog by caption, reads the live controls, presses keys and buttons,
// reads and answers message boxes, and waits for the process to end. Every
// wait has a timeout, so a hung SetUp.exe fails a test instead of hanging it.
// The header keeps <windows.h> out of its users.
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// A path of the build machine ("/...", reached through Wine's drive Z:) or
// a Windows path, as a Windows path.
std::string WinPath(std::string path);
// Where CMake built SetUp.exe, as a Windows path.
std::string SetupExePath();

struct Control {
  bool exists = false;
  bool visible = false;
  bool enabled = false;
  int checked = 0;
  std::string text;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct BoxInfo {
  void* window = nullptr;
  std::string caption;
  std::string text;  // static 0xFFFF
};

// 0x00RRGGBB-free form: red, green, blue.
struct Pixel {
  std::uint8_t r, g, b;
};

class Capture {
 public:
  Rect area;  // screen coordinates
  std::vector<Pixel> pixels;
  Pixel At(int x, int y) const { return pixels[(y - area.top) * area.Width() + (x - area.left)]; }
  // Pixels of the screen rectangle `r` that have the colour.
  int Count(const Rect& r, Pixel colour) const;
};

class SetupProcess {
 public:
  SetupProcess() = default;
  ~SetupProcess();  // kills a SetUp.exe that still runs
  SetupProcess(const SetupProcess&) = delete;
  SetupProcess& operator=(const SetupProcess&) = delete;

  // `folder`: the current folder of the new process; empty: this one's.
  // `arguments` follow the quoted program name on its command line.
  bool Start(const std::string& exe, std::string* error, const std::string& folder = "",
             const std::string& arguments = "");
  // The same with UTF-16 texts, for names that GBK cannot hold.
  bool StartWide(const std::wstring& exe, std::string* error, const std::wstring& folder = L"",
                 const std::wstring& arguments = L"");
  // Drives a dialog of this very process (run by another thread); nothing is
  // killed or waited for then.
  void AttachToSelf();
  // Waits until a visible top-level window of the process has the caption.
  bool WaitForDialog(const std::string& caption, int timeoutMs);
  void* Dialog() const { return dialog_; }
  std::uint32_t Pid() const { return pid_; }

  Control Item(int id) const;
  Rect ItemRect(int id) const;  // screen coordinates
  Rect DialogRect() const;
  Rect WorkArea() const;        // of the primary screen
  int FocusId() const;          // control id of the dialog thread's focus, 0 none
  bool Closed() const;          // the dialog window is gone

  // As a person would: hidden or disabled controls take no click or focus.
  bool Click(int id);
  bool Type(int id, const std::string& text);
  bool FocusOn(int id);
  bool Enter();
  bool Escape();
  bool CloseBox();  // the close box of the caption (SC_CLOSE)
  bool Command(int id);  // a WM_COMMAND as a menu would send it

  // A message sent to control `id` of the dialog and its answer (-1 when
  // the control is missing or hung). Only for messages without pointers.
  long long SendItem(int id, unsigned message, unsigned long long wParam, long long lParam) const;

  // The same for another window of the process (a message box, the shell's
  // folder browser): its controls, clicks and typing.
  Control ItemIn(void* window, int id) const;
  Rect ItemRectIn(void* window, int id) const;
  bool ClickIn(void* window, int id);
  bool TypeIn(void* window, int id, const std::string& text);
  long long SendTo(void* window, int id, unsigned message, unsigned long long wParam,
                   long long lParam) const;  // id 0: the window itself
  void* OwnerOf(void* window) const;
  bool Alive(void* window) const;
  // A visible "#32770" window of the process with the caption.
  bool WaitForWindow(const std::string& caption, int timeoutMs, void** window) const;

  // Message boxes of the process ("#32770" windows other than the dialog).
  std::vector<BoxInfo> Boxes() const;
  bool WaitForBox(int timeoutMs, BoxInfo* box) const;
  bool AnswerBox(const BoxInfo& box, int buttonId);
  std::uint32_t BoxStyle(const BoxInfo& box) const;  // GWL_STYLE

  // The dialog as drawn on the screen.
  bool CaptureDialog(Capture* capture) const;

  bool WaitForExit(int timeoutMs, std::uint32_t* exitCode);
  void Kill();

 private:
  void* Hwnd(int id) const;
  bool Key(unsigned vk);
  void Settle() const;

  void* process_ = nullptr;
  std::uint32_t pid_ = 0;
  std::uint32_t thread_ = 0;
  void* dialog_ = nullptr;
  bool exited_ = false;
  bool self_ = false;
};

}  // namespace e2e
