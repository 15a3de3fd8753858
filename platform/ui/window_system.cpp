#include "platform/ui/window_system.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "platform/sync.h"

namespace bexa::platform::ui {
namespace {

thread_local WindowSystem* this_thread_system = nullptr;

bool IsRadioGroupStart(const ControlState& c) {
  return c.kind != ControlKind::kRadio || (c.style & kStyleGroup) != 0;
}

}  // namespace

WindowSystem::WindowSystem(Backend* backend)
    : backend_(backend), clock_([] { return TickCountMs(); }), previous_(this_thread_system) {
  this_thread_system = this;
}

WindowSystem::~WindowSystem() {
  this_thread_system = previous_;
}

WindowSystem* WindowSystem::ForThisThread() { return this_thread_system; }

void WindowSystem::SetBackend(Backend* backend) {
  backend_ = backend;
  if (!backend_) return;
  for (auto& [id, entry] : windows_)
    if (entry.window->visible) backend_->WindowShown(*entry.window);
}

void WindowSystem::SetClock(std::function<uint64_t()> clock) { clock_ = std::move(clock); }
uint64_t WindowSystem::Now() const { return clock_(); }

int WindowSystem::CreateFromTemplate(const DialogTemplate& tmpl, WindowKind kind,
                                     WindowHandler* handler, int parent) {
  auto window = std::make_unique<Window>();
  window->id = next_window_id_++;
  window->parent = parent;
  window->kind = kind;
  window->resource_id = tmpl.resource_id;
  window->caption = tmpl.caption;
  window->width = tmpl.width;
  window->height = tmpl.height;
  window->shown_height = tmpl.height;
  for (const ControlTemplate& t : tmpl.controls) {
    ControlState c;
    c.id = t.id;
    c.kind = t.kind;
    c.x = t.x, c.y = t.y, c.width = t.width, c.height = t.height;
    c.style = t.style;
    c.text = t.text;
    if (c.kind == ControlKind::kTreeView) c.tree = std::make_unique<TreeState>();
    if (c.kind == ControlKind::kListView) c.list = std::make_unique<ListState>();
    if (window->focus == 0 && c.kind != ControlKind::kStatic && c.kind != ControlKind::kIcon &&
        c.kind != ControlKind::kProgress && c.kind != ControlKind::kAnimation)
      window->focus = c.id;
    window->controls.push_back(std::move(c));
  }
  int id = window->id;
  windows_[id] = Entry{std::move(window), handler};
  return id;
}

void WindowSystem::ShowWindow(int window, bool show) {
  Window* w = Find(window);
  if (!w || w->visible == show) return;
  w->visible = show;
  dirty_.erase(window);
  if (!backend_) return;
  if (show)
    backend_->WindowShown(*w);
  else
    backend_->WindowGone(window);
}

void WindowSystem::DestroyWindow(int window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  bool was_visible = it->second.window->visible;
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window; }),
                timers_.end());
  for (ModalFrame* frame : modal_stack_)
    if (frame->window == window && !frame->ended) frame->ended = true, frame->result = kIdCancel;
  dirty_.erase(window);
  windows_.erase(it);
  if (was_visible && backend_) backend_->WindowGone(window);
}

Window* WindowSystem::Find(int window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.window.get();
}

const Window* WindowSystem::Find(int window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.window.get();
}

std::vector<const Window*> WindowSystem::Windows() const {
  std::vector<const Window*> out;
  for (const auto& [id, entry] : windows_) out.push_back(entry.window.get());
  return out;
}

int WindowSystem::ModalWindow() const {
  for (auto it = modal_stack_.rbegin(); it != modal_stack_.rend(); ++it)
    if (!(*it)->ended) return (*it)->window;
  return 0;
}

int WindowSystem::RunModal(int window) {
  Window* w = Find(window);
  if (!w) return kIdCancel;
  w->modal = true;
  ModalFrame frame{window};
  modal_stack_.push_back(&frame);
  ShowWindow(window, true);
  try {
    while (!frame.ended) {
      if (DispatchOne()) continue;
      Flush();
      if (frame.ended) break;
      Window* modal = Find(window);
      if (!modal) break;
      if (backend_ && backend_->ProvideInput(*this, *modal)) continue;
      uint64_t deadline = UINT64_MAX;
      for (const Timer& t : timers_) deadline = std::min(deadline, t.next_due);
      WaitForMessage(deadline);
    }
  } catch (...) {
    modal_stack_.erase(std::find(modal_stack_.begin(), modal_stack_.end(), &frame));
    DestroyWindow(window);
    throw;
  }
  modal_stack_.erase(std::find(modal_stack_.begin(), modal_stack_.end(), &frame));
  DestroyWindow(window);
  Flush();
  return frame.result;
}

void WindowSystem::EndModal(int window, int result) {
  for (ModalFrame* frame : modal_stack_)
    if (frame->window == window && !frame->ended) {
      frame->ended = true;
      frame->result = result;
      return;
    }
}

void WindowSystem::Post(UiEvent event) {
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    queue_.push_back(Message{std::move(event), nullptr});
  }
  queue_signal_.notify_one();
}

void WindowSystem::PostTask(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    queue_.push_back(Message{std::nullopt, std::move(task)});
  }
  queue_signal_.notify_one();
}

void WindowSystem::PumpPendingMessages() {
  while (DispatchOne()) {
  }
  Flush();
}

void WindowSystem::WaitForMessage(uint64_t deadline) {
  std::unique_lock<std::mutex> lock(queue_mutex_);
  if (!queue_.empty()) return;
  if (deadline == UINT64_MAX) {
    queue_signal_.wait(lock, [&] { return !queue_.empty(); });
    return;
  }
  uint64_t now = Now();
  if (deadline <= now) return;
  // Waits in short slices so that a test clock, which moves without
  // notifying, is seen soon.
  uint64_t wait_ms = std::min<uint64_t>(deadline - now, 50);
  queue_signal_.wait_for(lock, std::chrono::milliseconds(wait_ms), [&] { return !queue_.empty(); });
}

bool WindowSystem::DispatchOne() {
  Message message;
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    if (!queue_.empty()) {
      message = std::move(queue_.front());
      queue_.pop_front();
    }
  }
  if (message.task) {
    message.task();
    return true;
  }
  if (message.event) {
    Dispatch(*message.event);
    return true;
  }
  // Timers come only when nothing else is queued, as WM_TIMER does.
  return FireDueTimer();
}

bool WindowSystem::FireDueTimer() {
  uint64_t now = Now();
  for (Timer& t : timers_) {
    if (t.next_due > now) continue;
    t.next_due = now + t.period;
    UiEvent event;
    event.kind = EventKind::kTimer;
    event.window = t.window;
    event.value = t.id;
    Dispatch(event);
    return true;
  }
  return false;
}

bool WindowSystem::AcceptsInput(int window) const {
  int modal = ModalWindow();
  // Windows opened above the modal one (a message box of the dialog, a
  // nested dialog) take input; those below it are disabled.
  return modal == 0 || window >= modal;
}

void WindowSystem::Dispatch(const UiEvent& event) {
  auto it = windows_.find(event.window);
  if (it == windows_.end()) return;
  Window& window = *it->second.window;
  if (event.kind != EventKind::kTimer) {
    if (!AcceptsInput(event.window)) return;
    if (event.control != 0) {
      const ControlState* c = window.Find(event.control);
      // A disabled or hidden control cannot have been pressed: a stale page
      // may still send it.
      if (!c || !c->enabled || !c->visible) return;
    }
  }
  ApplyToModel(window, event);
  WindowHandler* handler = it->second.handler;
  if (handler && handler->OnEvent(event)) return;
  if (Window* still = Find(event.window)) DefaultAction(*still, event);
}

void WindowSystem::ApplyToModel(Window& window, const UiEvent& event) {
  ControlState* c = window.Find(event.control);
  switch (event.kind) {
    case EventKind::kCommand:
      if (!c) return;
      if (c->kind == ControlKind::kCheckBox) {
        c->checked = !c->checked;
        MarkDirty(window.id, c->id);
      } else if (c->kind == ControlKind::kRadio) {
        auto& cs = window.controls;
        size_t at = c - cs.data();
        size_t first = at;
        while (first > 0 && !IsRadioGroupStart(cs[first])) --first;
        for (size_t i = first; i < cs.size(); ++i) {
          if (i > first && IsRadioGroupStart(cs[i])) break;
          bool on = i == at;
          if (cs[i].checked != on) cs[i].checked = on, MarkDirty(window.id, cs[i].id);
        }
      }
      break;
    case EventKind::kEditChanged:
      if (c && c->kind == ControlKind::kEdit && !(c->style & kStyleReadOnly)) {
        c->text = event.text;
        // The page that sent the text shows it already, and an echo would
        // race with its next keystrokes: the backend only records it.
        if (window.visible) dirty_[window.id];
      }
      break;
    case EventKind::kComboSelect:
      if (c && event.value >= -1 && event.value < static_cast<int>(c->items.size())) {
        c->selected_item = event.value;
        MarkDirty(window.id, c->id);
      }
      break;
    case EventKind::kTreeSelect:
      if (c && c->tree && Item(window.id, c->id, event.item)) {
        c->tree->selected = event.item;
        MarkDirty(window.id, c->id);
      }
      break;
    case EventKind::kListSelect:
      if (c && c->list) {
        for (ListRow& r : c->list->rows) r.selected = false;
        for (int row : event.rows)
          if (row >= 0 && row < static_cast<int>(c->list->rows.size()))
            c->list->rows[row].selected = true;
        MarkDirty(window.id, c->id);
      }
      break;
    case EventKind::kListViewport:
      if (c && c->list) {
        c->list->view_first = std::max(0, event.row);
        c->list->view_count = std::clamp(event.value, 0, 500);
        MarkDirty(window.id, c->id);
      }
      break;
    default:
      break;
  }
}

void WindowSystem::DefaultAction(Window& window, const UiEvent& event) {
  bool is_modal = window.modal;
  switch (event.kind) {
    case EventKind::kCommand:
      if (event.control != kIdOk && event.control != kIdCancel) return;
      if (window.kind == WindowKind::kPanel) return;
      if (is_modal)
        EndModal(window.id, event.control);
      else
        DestroyWindow(window.id);
      break;
    case EventKind::kClose:
      if (window.kind == WindowKind::kPanel) return;
      if (is_modal)
        EndModal(window.id, kIdCancel);
      else
        DestroyWindow(window.id);
      break;
    case EventKind::kTreeExpanding:
      ExpandItem(window.id, event.control, event.item, event.value != 0);
      break;
    default:
      break;
  }
}

void WindowSystem::SetTimer(int window, int timer_id, uint32_t period_ms) {
  KillTimer(window, timer_id);
  timers_.push_back(Timer{window, timer_id, period_ms, Now() + period_ms});
}

void WindowSystem::KillTimer(int window, int timer_id) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window && t.id == timer_id; }),
                timers_.end());
}

bool WindowSystem::HasTimer(int window, int timer_id) const {
  return std::any_of(timers_.begin(), timers_.end(),
                     [&](const Timer& t) { return t.window == window && t.id == timer_id; });
}

void WindowSystem::MarkDirty(int window, int control) {
  const Window* w = Find(window);
  if (w && w->visible) dirty_[window].controls.insert(control);
}

void WindowSystem::MarkWindowDirty(int window) {
  const Window* w = Find(window);
  if (w && w->visible) dirty_[window].window = true;
}

void WindowSystem::Flush() {
  std::map<int, Dirty> dirty;
  dirty.swap(dirty_);
  if (!backend_) return;
  for (auto& [id, d] : dirty) {
    const Window* w = Find(id);
    if (!w || !w->visible) continue;
    backend_->WindowChanged(*w, std::vector<int>(d.controls.begin(), d.controls.end()), d.window);
  }
}

void WindowSystem::Touch(int window, int control) { MarkDirty(window, control); }

void WindowSystem::SetCaption(int window, std::u16string caption) {
  if (Window* w = Find(window)) w->caption = std::move(caption), MarkWindowDirty(window);
}

void WindowSystem::SetShownHeight(int window, int height) {
  if (Window* w = Find(window)) w->shown_height = height, MarkWindowDirty(window);
}

void WindowSystem::FlashWindow(int window) {
  if (Window* w = Find(window)) w->flashed = !w->flashed, MarkWindowDirty(window);
}

void WindowSystem::SetFocus(int window, int control) {
  if (Window* w = Find(window)) w->focus = control, MarkWindowDirty(window);
}

void WindowSystem::Beep(unsigned icon) {
  if (backend_) backend_->Beep(icon);
}

void PumpPendingMessages() {
  if (WindowSystem* system = WindowSystem::ForThisThread()) system->PumpPendingMessages();
}

}  // namespace bexa::platform::ui
