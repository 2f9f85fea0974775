// The general window and drawing operations over the simulated user
// interface.
#include <utility>

#include "platform/dialog_box.h"
#include "platform/files.h"
#include "platform/sim/sim_ui.h"
#include "platform/window.h"

namespace platform {

using sim::AsSimWindow;
using sim::SimGdiObject;
using sim::SimUi;
using sim::SimWindow;

namespace {
sim::SimDc* Dc(DrawContext dc) { return static_cast<sim::SimDc*>(dc); }
}  // namespace

// --- Drawing ----------------------------------------------------------------

GdiObject CreateSolidBrush(Color color) {
  SimGdiObject o;
  o.kind = SimGdiObject::kBrush;
  o.color = color;
  return SimUi::Get().NewGdiObject(o);
}

GdiObject CreateFont(int height, int width, int, int, int weight, bool italic, bool, bool,
                     unsigned charSet, unsigned, unsigned, unsigned, unsigned, const char* face) {
  SimGdiObject o;
  o.kind = SimGdiObject::kFont;
  o.height = height;
  o.width = width;
  o.weight = weight;
  o.italic = italic;
  o.charSet = charSet;
  o.face = face ? face : "";
  return SimUi::Get().NewGdiObject(o);
}

bool DeleteObject(GdiObject object) {
  SimGdiObject* o = sim::AsGdiObject(object);
  if (!o) return false;
  if (o->stock || o->deleted || !SimUi::Get().IsLiveGdiObject(o)) {
    SimUi::Get().CountBadDelete();
    return false;
  }
  o->deleted = true;
  return true;
}

GdiObject SelectObject(DrawContext dc, GdiObject object) {
  sim::SimDc* d = Dc(dc);
  if (!d) return nullptr;
  SimGdiObject* previous = d->font;
  if (sim::AsGdiObject(object) && sim::AsGdiObject(object)->kind == SimGdiObject::kFont) d->font = sim::AsGdiObject(object);
  return previous;
}

Color SetTextColor(DrawContext dc, Color color) {
  sim::SimDc* d = Dc(dc);
  return d ? std::exchange(d->textColor, color) : 0;
}

int SetBkMode(DrawContext dc, int mode) {
  sim::SimDc* d = Dc(dc);
  return d ? std::exchange(d->bkMode, mode) : 0;
}

IconHandle LoadProgramIcon(int resourceId) {
  SimUi& ui = SimUi::Get();
  if (resourceId != 1 || !ui.HasProgramIcon()) return nullptr;
  ui.CountIconLoad();
  return ui.ProgramIcon();
}

// --- Windows ----------------------------------------------------------------

bool EnableWindow(WindowHandle window, bool enable) {
  SimWindow* w = AsSimWindow(window);
  if (!w) return false;
  const bool wasDisabled = !w->enabled;
  w->enabled = enable;
  if (!enable && SimUi::Get().Focus() == w) SimUi::Get().SetFocus(nullptr);
  return wasDisabled;
}

bool IsWindowEnabled(WindowHandle window) {
  const SimWindow* w = AsSimWindow(window);
  return w && w->enabled;
}

bool ShowWindow(WindowHandle window, int command) {
  SimWindow* w = AsSimWindow(window);
  if (!w) return false;
  const bool wasVisible = w->visible;
  w->visible = command != kSwHide;
  return wasVisible;
}

bool IsWindowVisible(WindowHandle window) {
  for (const SimWindow* w = AsSimWindow(window); w; w = w->parent)
    if (!w->visible) return false;
  return window != nullptr;
}

int GetDlgCtrlID(WindowHandle window) {
  const SimWindow* w = AsSimWindow(window);
  return w ? w->id : 0;
}

WindowHandle GetDlgItem(WindowHandle dialog, int id) {
  const SimWindow* d = AsSimWindow(dialog);
  if (!d) return nullptr;
  for (SimWindow* c : d->children)
    if (c->id == id) return c;
  return nullptr;
}

std::string GetWindowText(WindowHandle window) {
  const SimWindow* w = AsSimWindow(window);
  return w ? w->text.substr(0, kPathBuffer - 1) : std::string();
}

void SetWindowText(WindowHandle window, const std::string& text) {
  SimWindow* w = AsSimWindow(window);
  if (!w) return;
  w->text = text;
  // A single-line edit control tells its parent of every change, WM_SETTEXT
  // included.
  if (w->className == "EDIT" && w->parent && w->parent->object && !w->destroyed)
    w->parent->object->OnCommand(w->id, kEnChange);
}

void SetFocus(WindowHandle window) { SimUi::Get().SetFocus(AsSimWindow(window)); }
WindowHandle GetFocus() { return SimUi::Get().Focus(); }

void SetWindowIcon(WindowHandle window, int which, IconHandle icon) {
  SimWindow* w = AsSimWindow(window);
  if (!w) return;
  (which == kIconSmall ? w->modal.smallIcon : w->modal.bigIcon) = icon;
}

Rect WindowRect(WindowHandle window) {
  const SimWindow* w = AsSimWindow(window);
  if (!w) return {};
  int x = w->x, y = w->y;
  if (w->parent) {
    x += w->parent->x;
    y += w->parent->y;
  }
  return {x, y, x + w->cx, y + w->cy};
}

Rect ScreenToClientRect(WindowHandle window, Rect rect) {
  const SimWindow* w = AsSimWindow(window);
  if (!w) return rect;
  return {rect.left - w->x, rect.top - w->y, rect.right - w->x, rect.bottom - w->y};
}

WindowHandle CreateChildWindow(std::uint32_t exStyle, const char* className, const char* text,
                               std::uint32_t styleBits, const Rect& rect, WindowHandle parent,
                               int id) {
  SimWindow* p = AsSimWindow(parent);
  if (!p || p->destroyed) return nullptr;
  SimWindow* c = SimUi::Get().NewWindow(id, className ? className : "", p);
  c->text = text ? text : "";
  c->style = styleBits;
  c->exStyle = exStyle;
  c->visible = (styleBits & style::kVisible) != 0;
  c->x = rect.left;
  c->y = rect.top;
  c->cx = rect.right - rect.left;
  c->cy = rect.bottom - rect.top;
  p->children.push_back(c);
  return c;
}

void CopyWindowFont(WindowHandle from, WindowHandle to) {
  if (AsSimWindow(from) && AsSimWindow(to)) AsSimWindow(to)->font = AsSimWindow(from)->font;
}

void EndDialog(WindowHandle dialog, int result) {
  SimWindow* d = AsSimWindow(dialog);
  if (!d) return;
  d->modal.ended = true;
  d->modal.result = result;
}

bool IsChildWindow(WindowHandle window) {
  const SimWindow* w = AsSimWindow(window);
  return w && (w->style & style::kChild) != 0;
}

WindowHandle LastActivePopup(WindowHandle window) { return window; }

int GetButtonCheck(WindowHandle button) {
  const SimWindow* w = AsSimWindow(button);
  return w ? w->checked : 0;
}

void SetButtonCheck(WindowHandle button, int check) {
  if (SimWindow* w = AsSimWindow(button)) w->checked = check;
}

}  // namespace platform
