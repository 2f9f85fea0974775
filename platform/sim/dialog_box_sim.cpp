// Modal dialog boxes, window take-over and the message loop over the
// simulated user interface. The dialog manager follows Windows where the
// installer relies on it: the initial focus, Enter and Escape, the close
// box, automatic check boxes, disabled controls.
#include <algorithm>

#include "platform/dialog_box.h"
#include "platform/sim/sim_ui.h"

namespace platform {

using sim::AsSimWindow;
using sim::SimUi;
using sim::SimWindow;

namespace {
constexpr std::uint32_t kColorBtnFace = 0xF0F0F0;
constexpr std::uint32_t kColorWindow = 0xFFFFFF;

bool IsPushButton(const SimWindow* w) {
  if (w->className != "BUTTON") return false;
  const std::uint32_t type = w->style & style::kBsTypeMask;
  return type == style::kBsPushButton || type == style::kBsDefPushButton;
}

bool IsAutoCheckBox(const SimWindow* w) {
  return w->className == "BUTTON" && (w->style & style::kBsTypeMask) == style::kBsAutoCheckBox;
}

// The CTLCOLOR_* kind a control asks with when it paints.
int ColorKindOf(const SimWindow* w) {
  if (!w->parent) return kCtlColorDlg;
  if (w->className == "EDIT") return kCtlColorEdit;
  if (w->className == "BUTTON") return IsPushButton(w) ? kCtlColorBtn : kCtlColorStatic;
  if (w->className == "STATIC") return kCtlColorStatic;
  return -1;  // the progress bar paints without asking
}

bool Usable(const SimWindow* w) { return w && w->visible && w->enabled && !w->destroyed; }
}  // namespace

// --- Window procedures --------------------------------------------------------

// The simulated dialogs have no owner window.
int RunModalDialog(const DialogTemplate& layout, WindowHandle, MessageTarget& target) {
  SimUi& ui = SimUi::Get();
  if (!ui.VisibleStation()) return -1;  // no desktop to create it on
  SimWindow* d = ui.NewWindow(layout.resourceId, "#32770", nullptr);
  d->text = layout.caption ? layout.caption : "";
  d->style = layout.style;
  d->exStyle = layout.exStyle;
  d->visible = false;  // not visible until the modal run shows it
  d->cx = layout.cx * SimUi::kBaseUnitX / 4;
  d->cy = layout.cy * SimUi::kBaseUnitY / 8;
  for (const DialogItemTemplate& item : layout.items) {
    SimWindow* c = ui.NewWindow(item.id, item.className, d);
    c->text = item.text ? item.text : "";
    c->textOrdinal = item.textOrdinal;
    c->style = item.style;
    c->exStyle = item.exStyle;
    c->visible = (item.style & style::kVisible) != 0;
    c->enabled = true;
    d->children.push_back(c);
  }
  d->object = &target;

  SimWindow* previousActive = ui.ActiveWindow();
  SimWindow* previousFocus = ui.Focus();
  ui.SetActiveWindow(d);
  ui.PushRunning(d);
  const bool focusFirst = target.OnInitDialog(d);
  // Centred in the work area of the primary screen.
  d->x = std::max(0, (SimUi::kWorkWidth - d->cx) / 2);
  d->y = std::max(0, (SimUi::kWorkHeight - d->cy) / 2);
  if (focusFirst) {
    ui.SetFocus(nullptr);
    for (SimWindow* c : d->children) {
      if ((c->style & style::kTabStop) && Usable(c)) {
        ui.SetFocus(c);
        break;
      }
    }
  }
  if (!d->modal.ended) {
    d->visible = true;
    ui.Repaint();
    if (ui.User()) {
      std::function<void()> user = ui.User();
      user();
    }
  }
  sim::ModalRun run;
  run.dialog = d;
  run.result = d->modal.ended ? d->modal.result : 0;
  run.leftOpen = !d->modal.ended;
  ui.RecordRun(run);

  // The window goes: the dialog and its controls are destroyed.
  ui.PopRunning();
  d->visible = false;
  d->destroyed = true;
  for (SimWindow* c : d->children) c->destroyed = true;
  d->object = nullptr;
  target.OnWindowGone();
  ui.SetActiveWindow(previousActive);
  ui.SetFocus(previousFocus);
  return run.result;
}

bool SubclassWindow(WindowHandle window, MessageTarget& target) {
  SimWindow* w = AsSimWindow(window);
  if (!w || w->object) return false;
  w->object = &target;
  return true;
}

void UnsubclassWindow(WindowHandle window) {
  if (SimWindow* w = AsSimWindow(window)) w->object = nullptr;
}

GdiObject DefaultControlColor(WindowHandle, DrawContext dc, WindowHandle control, int kind) {
  SetTextColor(dc, 0);
  SetBkMode(dc, kBkOpaque);
  const SimWindow* w = AsSimWindow(control);
  const bool edit = kind == kCtlColorEdit || (w && w->className == "EDIT");
  return SimUi::Get().StockBrush(edit ? kColorWindow : kColorBtnFace);
}

int RunMessageLoop() { return 0; }

namespace sim {

SimGdiObject* SimUi::NewGdiObject(SimGdiObject object) {
  gdi_.push_back(std::make_unique<SimGdiObject>(object));
  return gdi_.back().get();
}

int SimUi::LiveGdiObjects() const {
  return static_cast<int>(std::count_if(gdi_.begin(), gdi_.end(),
                                        [](const auto& o) { return !o->deleted; }));
}

bool SimUi::IsLiveGdiObject(const void* object) const {
  for (const auto& o : gdi_)
    if (o.get() == object) return !o->deleted;
  return false;
}

SimGdiObject* SimUi::StockBrush(std::uint32_t color) {
  for (const auto& o : stock_)
    if (o->color == color) return o.get();
  SimGdiObject o;
  o.stock = true;
  o.color = color;
  stock_.push_back(std::make_unique<SimGdiObject>(o));
  return stock_.back().get();
}

SimWindow* SimUi::Control(int id) const {
  SimWindow* d = RunningDialog();
  return d ? AsSimWindow(GetDlgItem(d, id)) : nullptr;
}

namespace {
bool RunEnded(const SimWindow* d) { return d->modal.ended || (!d->modal.ownProc && !d->object); }
}  // namespace

bool SimUi::Deliver(int id, int code) {
  SimWindow* d = RunningDialog();
  if (!d || d->modal.ended) return false;
  if (d->modal.ownProc) {
    if (!(d->object && d->object->OnCommand(id, code))) d->modal.ownProc(id, code);
    return true;
  }
  if (!d->object) return false;
  d->object->OnCommand(id, code);
  if (!d->modal.ended) Repaint();
  return true;
}

bool SimUi::Click(int id) {
  SimWindow* d = RunningDialog();
  SimWindow* c = Control(id);
  if (!d || !Usable(c) || RunEnded(d)) return false;
  if (c->className != "BUTTON") return false;
  if (IsAutoCheckBox(c)) c->checked = c->checked ? 0 : 1;
  focus_ = c;
  return Deliver(id, kBnClicked);
}

bool SimUi::Type(int id, const std::string& text) {
  SimWindow* c = Control(id);
  if (!Usable(c) || c->className != "EDIT") return false;
  focus_ = c;
  c->text = text;
  return Deliver(id, kEnChange);
}

bool SimUi::FocusOn(int id) {
  SimWindow* c = Control(id);
  if (!Usable(c)) return false;
  focus_ = c;
  return true;
}

bool SimUi::Enter() {
  if (focus_ && IsPushButton(focus_) && Usable(focus_)) return Deliver(focus_->id, kBnClicked);
  SimWindow* ok = Control(kIdOk);
  if (ok && !ok->enabled) return false;
  return Deliver(kIdOk, kBnClicked);
}

bool SimUi::Escape() {
  SimWindow* cancel = Control(kIdCancel);
  if (cancel && !cancel->enabled) return false;
  return Deliver(kIdCancel, kBnClicked);
}

bool SimUi::CloseBox() { return Escape(); }

bool SimUi::Command(int id, int code) { return Deliver(id, code); }

void SimUi::Repaint() {
  SimWindow* d = RunningDialog();
  if (!d || !d->object || !d->visible) return;
  MessageTarget* dialog = d->object;
  std::vector<SimWindow*> order{d};
  order.insert(order.end(), d->children.begin(), d->children.end());
  for (SimWindow* w : order) {
    if (!w->visible) continue;
    const int kind = ColorKindOf(w);
    if (kind < 0) continue;
    SimDc dc;
    GdiObject brush = dialog->OnColorRequest(&dc, w == d ? d : w, kind);
    SimPaint& p = w->paint;
    p = SimPaint{};
    p.painted = true;
    p.kind = kind;
    const SimGdiObject* b = sim::AsGdiObject(brush);
    p.brushAlive = b && (b->stock || IsLiveGdiObject(b)) && b->kind == SimGdiObject::kBrush;
    p.background = b ? b->color : 0;
    p.textColor = dc.textColor;
    p.bkMode = dc.bkMode;
    if (dc.font) {
      p.fontSelected = true;
      p.fontAlive = IsLiveGdiObject(dc.font);
      p.fontHeight = dc.font->height;
      p.fontWeight = dc.font->weight;
      p.fontFace = dc.font->face;
    }
  }
}

}  // namespace sim
}  // namespace platform
