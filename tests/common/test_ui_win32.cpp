// Windows-only test support: a real progress bar, and a thread that finds
// the message boxes ("#32770" windows) of this process, reads their text
// (static 0xFFFF) and caption, and presses the chosen button.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "common/test_ui.h"
#include "ui/setup_template.h"

namespace testing_support {

TestProgressBar::TestProgressBar() {
  InitCommonControls();
  HWND dialog = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  dialog_ = dialog;
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, dialog,
                             reinterpret_cast<HMENU>(kIdProgress), GetModuleHandleA(nullptr), nullptr);
  bar_.Attach(bar);
  Reset(0, 1000, 1);
}

TestProgressBar::~TestProgressBar() { DestroyWindow(static_cast<HWND>(dialog_)); }

void TestProgressBar::Reset(int minimum, int maximum, int step) {
  bar_.SetRange(minimum, maximum);
  bar_.SetStep(step);
  bar_.SetPos(minimum);
}

struct BoxAnswerer::State {
  Answer answer;
  std::atomic<bool> stop{false};
  mutable std::mutex mutex;
  std::vector<ShownBox> boxes;
  std::thread thread;
};

namespace {
// The icon type of a message box, from the icon its static shows (control
// 20 on Windows, 0x440 in Wine's template).
unsigned IconType(HWND box) {
  HICON shown = nullptr;
  for (int id : {20, 0x440}) {
    if (HWND icon = GetDlgItem(box, id)) {
      shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
      if (shown) break;
    }
  }
  if (!shown) return 0;
  if (shown == LoadIconA(nullptr, IDI_HAND)) return platform::kMbIconStop;
  if (shown == LoadIconA(nullptr, IDI_QUESTION)) return platform::kMbIconQuestion;
  if (shown == LoadIconA(nullptr, IDI_EXCLAMATION)) return platform::kMbIconExclamation;
  return 0;
}
struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid == s->process && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window) &&
      GetDlgItem(window, 0xFFFF)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

void Watch(BoxAnswerer::Answer answer, std::atomic<bool>* stop, std::mutex* mutex,
           std::vector<ShownBox>* boxes) {
  HWND last = nullptr;
  while (!stop->load()) {
    Search s{GetCurrentProcessId(), nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
    if (!s.found || s.found == last) {
      Sleep(20);
      if (!s.found) last = nullptr;
      continue;
    }
    ShownBox box;
    char text[2048] = {};
    GetDlgItemTextA(s.found, 0xFFFF, text, sizeof text);
    box.text = text;
    char caption[512] = {};
    GetWindowTextA(s.found, caption, sizeof caption);
    box.caption = caption;
    box.owner = GetWindow(s.found, GW_OWNER);
    const bool ari = GetDlgItem(s.found, IDABORT) && GetDlgItem(s.found, IDRETRY) &&
                     GetDlgItem(s.found, IDIGNORE);
    const bool yesNo = GetDlgItem(s.found, IDYES) && GetDlgItem(s.found, IDNO);
    box.type = ari ? platform::kMbAbortRetryIgnore : yesNo ? platform::kMbYesNo : platform::kMbOk;
    box.type |= IconType(s.found);
    int index;
    {
      std::lock_guard<std::mutex> lock(*mutex);
      boxes->push_back(box);
      index = static_cast<int>(boxes->size()) - 1;
    }
    int button = ari ? IDABORT : yesNo ? IDYES : IDOK;
    if (answer) button = answer(box, index);
    last = s.found;
    PostMessageA(s.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(s.found, button)));
  }
}
}  // namespace

BoxAnswerer::BoxAnswerer(Answer answer) : state_(std::make_unique<State>()) {
  state_->answer = std::move(answer);
  state_->thread = std::thread(Watch, state_->answer, &state_->stop, &state_->mutex, &state_->boxes);
}

BoxAnswerer::~BoxAnswerer() {
  state_->stop = true;
  state_->thread.join();
}

std::vector<ShownBox> BoxAnswerer::Boxes() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->boxes;
}

}  // namespace testing_support
