#include "e2e/driver.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/win32/wide.h"

#ifndef TARNWELL_SETUP_EXE
#error "TARNWELL_SETUP_EXE names the SetUp.exe under test"
#endif

namespace e2e {
namespace {
HWND W(void* h) { return static_cast<HWND>(h); }

constexpr UINT kSendTimeout = 5000;

bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  DWORD_PTR r = 0;
  const LRESULT ok = SendMessageTimeoutW(hwnd, message, wParam, lParam,
                                         SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeout, &r);
  if (result) *result = r;
  return ok != 0;
}

// Window texts are read as UTF-16 and compared as GBK, whatever the system's
// code page.
std::string ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return platform::FromWide(name);
}

std::string TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  DWORD_PTR n = 0;
  if (!Send(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), &n)) return "<hung>";
  return platform::FromWide(text, n < 1024 ? n : 0);
}

using Clock = std::chrono::steady_clock;

template <class F>
bool WaitUntil(int timeoutMs, F&& done) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

struct FindBoxes {
  DWORD pid;
  HWND dialog;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM lParam) {
  auto* f = reinterpret_cast<FindBoxes*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f->pid && hwnd != f->dialog && IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770")
    f->found.push_back(hwnd);
  return TRUE;
}

struct FindCaption {
  DWORD pid;
  std::string caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM lParam) {
  auto* f = reinterpret_cast<FindCaption*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != f->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (f->caption == platform::FromWide(text)) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

std::string WinPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;
  return path;
}

std::string SetupExePath() { return WinPath(TARNWELL_SETUP_EXE); }

int Capture::Count(const Rect& r, Pixel colour) const {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      if (x < area.left || y < area.top || x >= area.right || y >= area.bottom) continue;
      const Pixel p = At(x, y);
      if (p.r == colour.r && p.g == colour.g && p.b == colour.b) ++n;
    }
  return n;
}

SetupProcess::~SetupProcess() {
  if (process_) {
    Kill();
    CloseHandle(process_);
  }
}

bool SetupProcess::Start(const std::string& exe, std::string* error, const std::string& folder,
                         const std::string& arguments) {
  const auto wide = [](const std::string& text) {
    std::vector<wchar_t> units;
    platform::WidenShown(text, &units);
    return std::wstring(units.data());
  };
  return StartWide(wide(exe), error, wide(folder), wide(arguments));
}

bool SetupProcess::StartWide(const std::wstring& exe, std::string* error, const std::wstring& folder,
                             const std::wstring& arguments) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = L"\"" + exe + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  // Wine's server, when the machine is loaded, now and then refuses a start
  // with ERROR_INTERNAL_ERROR (1359) that succeeds when asked again
  // (docs/wine-notes.md); any other error ends the start at once.
  DWORD failure = 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &si, &pi))
      break;
    failure = GetLastError();
    if (failure != ERROR_INTERNAL_ERROR) break;
    Sleep(200);
  }
  if (!pi.hProcess) {
    if (error) *error = "CreateProcessW failed, error " + std::to_string(failure);
    return false;
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

void SetupProcess::AttachToSelf() {
  self_ = true;
  pid_ = GetCurrentProcessId();
  process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid_);
}

bool SetupProcess::WaitForDialog(const std::string& caption, int timeoutMs) {
  FindCaption f{pid_, caption, nullptr};
  const bool ok = WaitUntil(timeoutMs, [&] {
    EnumWindows(&MatchCaption, reinterpret_cast<LPARAM>(&f));
    return f.found != nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
  });
  if (!ok || !f.found) return false;
  dialog_ = f.found;
  thread_ = GetWindowThreadProcessId(W(dialog_), nullptr);
  return true;
}

void* SetupProcess::Hwnd(int id) const {
  return dialog_ ? GetDlgItem(W(dialog_), id) : nullptr;
}

Control SetupProcess::Item(int id) const {
  Control c;
  HWND h = W(Hwnd(id));
  if (!h) return c;
  c.exists = true;
  c.visible = IsWindowVisible(h) != 0;
  c.enabled = IsWindowEnabled(h) != 0;
  DWORD_PTR check = 0;
  if (ClassOf(h) == "Button" && Send(h, BM_GETCHECK, 0, 0, &check)) c.checked = static_cast<int>(check);
  c.text = TextOf(h);
  return c;
}

Rect SetupProcess::ItemRect(int id) const {
  RECT r{};
  GetWindowRect(W(Hwnd(id)), &r);
  return {r.left, r.top, r.right, r.bottom};
}

Rect SetupProcess::DialogRect() const {
  RECT r{};
  GetWindowRect(W(dialog_), &r);
  return {r.left, r.top, r.right, r.bottom};
}

Rect SetupProcess::WorkArea() const {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return {r.left, r.top, r.right, r.bottom};
}

int SetupProcess::FocusId() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(thread_, &info) || !info.hwndFocus) return 0;
  return GetDlgCtrlID(info.hwndFocus);
}

bool SetupProcess::Closed() const { return !dialog_ || !IsWindow(W(dialog_)); }

void SetupProcess::Settle() const {
  // Posted input is taken before the next sent message is handled once the
  // dialog's loop runs again; the send returns when it has been. A dialog
  // that closed meanwhile ends its process: a send to it would only wait.
  if ((!self_ && WaitForSingleObject(process_, 30) == WAIT_OBJECT_0) || Closed()) return;
  if (self_) Sleep(30);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(W(dialog_), WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 1000, &r);
  WaitForSingleObject(process_, 20);
}

bool SetupProcess::Click(int id) {
  HWND h = W(Hwnd(id));
  if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
  // BM_CLICK presses the button as the mouse does. Posted, so that a
  // handler that shows a message box does not hold the driver.
  if (!PostMessageW(h, BM_CLICK, 0, 0)) return false;
  Settle();
  return true;
}

bool SetupProcess::FocusOn(int id) {
  HWND h = W(Hwnd(id));
  if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
  return Send(W(dialog_), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
}

bool SetupProcess::Type(int id, const std::string& text) {
  if (!FocusOn(id)) return false;
  return Send(W(Hwnd(id)), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(platform::Shown(text).c_str()));
}

bool SetupProcess::Key(unsigned vk) {
  if (Closed()) return false;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = W(dialog_);
  if (GetGUIThreadInfo(thread_, &info) && info.hwndFocus) target = info.hwndFocus;
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  if (!PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16))) return false;
  PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
  Settle();
  return true;
}

bool SetupProcess::Enter() { return Key(VK_RETURN); }
bool SetupProcess::Escape() { return Key(VK_ESCAPE); }

bool SetupProcess::CloseBox() {
  if (Closed()) return false;
  if (!PostMessageW(W(dialog_), WM_SYSCOMMAND, SC_CLOSE, 0)) return false;
  Settle();
  return true;
}

bool SetupProcess::Command(int id) {
  if (Closed()) return false;
  if (!PostMessageW(W(dialog_), WM_COMMAND, static_cast<WPARAM>(id), 0)) return false;
  Settle();
  return true;
}

long long SetupProcess::SendItem(int id, unsigned message, unsigned long long wParam,
                                 long long lParam) const {
  return SendTo(dialog_, id, message, wParam, lParam);
}

Control SetupProcess::ItemIn(void* window, int id) const {
  Control c;
  HWND h = window ? GetDlgItem(W(window), id) : nullptr;
  if (!h) return c;
  c.exists = true;
  c.visible = IsWindowVisible(h) != 0;
  c.enabled = IsWindowEnabled(h) != 0;
  c.text = TextOf(h);
  return c;
}

Rect SetupProcess::ItemRectIn(void* window, int id) const {
  RECT r{};
  GetWindowRect(GetDlgItem(W(window), id), &r);
  return {r.left, r.top, r.right, r.bottom};
}

bool SetupProcess::ClickIn(void* window, int id) {
  HWND h = GetDlgItem(W(window), id);
  if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
  if (!PostMessageW(h, BM_CLICK, 0, 0)) return false;
  Settle();
  return true;
}

bool SetupProcess::TypeIn(void* window, int id, const std::string& text) {
  HWND h = GetDlgItem(W(window), id);
  if (!h || !IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
  if (!Send(W(window), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE)) return false;
  return Send(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(platform::Shown(text).c_str()));
}

long long SetupProcess::SendTo(void* window, int id, unsigned message, unsigned long long wParam,
                               long long lParam) const {
  HWND h = id == 0 ? W(window) : (window ? GetDlgItem(W(window), id) : nullptr);
  DWORD_PTR r = 0;
  if (!h || !Send(h, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam), &r))
    return -1;
  return static_cast<long long>(r);
}

void* SetupProcess::OwnerOf(void* window) const { return GetWindow(W(window), GW_OWNER); }

bool SetupProcess::Alive(void* window) const { return window && IsWindow(W(window)); }

bool SetupProcess::WaitForWindow(const std::string& caption, int timeoutMs, void** window) const {
  return WaitUntil(timeoutMs, [&] {
    for (const BoxInfo& b : Boxes())
      if (b.caption == caption) {
        *window = b.window;
        return true;
      }
    return false;
  });
}

std::vector<BoxInfo> SetupProcess::Boxes() const {
  FindBoxes f{pid_, W(dialog_), {}};
  EnumWindows(&CollectBox, reinterpret_cast<LPARAM>(&f));
  std::vector<BoxInfo> boxes;
  for (HWND h : f.found) {
    BoxInfo b;
    b.window = h;
    b.caption = TextOf(h);
    b.text = TextOf(GetDlgItem(h, 0xFFFF));
    boxes.push_back(b);
  }
  return boxes;
}

bool SetupProcess::WaitForBox(int timeoutMs, BoxInfo* box) const {
  return WaitUntil(timeoutMs, [&] {
    const std::vector<BoxInfo> boxes = Boxes();
    if (boxes.empty()) return false;
    if (box) *box = boxes.front();
    return true;
  });
}

bool SetupProcess::AnswerBox(const BoxInfo& box, int buttonId) {
  HWND button = GetDlgItem(W(box.window), buttonId);
  if (!PostMessageW(W(box.window), WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(button)))
    return false;
  return WaitUntil(5000, [&] { return !IsWindow(W(box.window)); });
}

std::uint32_t SetupProcess::BoxStyle(const BoxInfo& box) const {
  return static_cast<std::uint32_t>(GetWindowLongW(W(box.window), GWL_STYLE));
}

bool SetupProcess::CaptureDialog(Capture* capture) const {
  if (Closed()) return false;
  RedrawWindow(W(dialog_), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const Rect r = DialogRect();
  capture->area = r;
  capture->pixels.assign(static_cast<std::size_t>(r.Width() * r.Height()), Pixel{0, 0, 0});
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.Width();
  bi.bmiHeader.biHeight = -r.Height();
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, r.Width(), r.Height(), screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    const auto* p = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < capture->pixels.size(); ++i)
      capture->pixels[i] = Pixel{p[i * 4 + 2], p[i * 4 + 1], p[i * 4]};
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool SetupProcess::WaitForExit(int timeoutMs, std::uint32_t* exitCode) {
  if (!process_ || self_) return false;
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  exited_ = true;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  if (exitCode) *exitCode = code;
  return true;
}

void SetupProcess::Kill() {
  if (process_ && !exited_ && !self_) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
    exited_ = true;
  }
}

}  // namespace e2e
