// The window system of one user-interface thread: its windows, its message
// queue, timers, modal loops and message boxes. Front ends (Backend) draw
// the windows and post the user's actions as events; every decision is
// taken here, on the thread that owns the system.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/events.h"
#include "platform/ui/message_box.h"
#include "platform/ui/window.h"

namespace bexa::platform::ui {

class WindowSystem;

// Receives the events of one window. Returns true when it handled the event;
// otherwise the system's default applies: OK and Cancel end a modal window
// with their id, Close ends it with Cancel (a modeless window is destroyed),
// and expanding a tree item expands it.
class WindowHandler {
 public:
  virtual ~WindowHandler() = default;
  virtual bool OnEvent(const UiEvent& event) = 0;
};

class WindowSystem {
 public:
  // The system becomes the one of the calling thread until it is destroyed.
  explicit WindowSystem(Backend* backend = nullptr);
  ~WindowSystem();
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;

  // The system of the calling thread, or null.
  static WindowSystem* ForThisThread();

  // REQUIRES: called before any window is shown, or the backend is handed
  // the shown windows again at once.
  void SetBackend(Backend* backend);
  Backend* backend() const { return backend_; }
  // Milliseconds of the clock that timers use (TickCountMs by default).
  void SetClock(std::function<uint64_t()> clock);
  uint64_t Now() const;

  // --- Windows ---------------------------------------------------------
  // Creates a hidden window from a template. The handler is not owned and
  // must outlive the window (or be detached by destroying the window).
  int CreateFromTemplate(const DialogTemplate& tmpl, WindowKind kind, WindowHandler* handler,
                         int parent = 0);
  void ShowWindow(int window, bool show);
  void DestroyWindow(int window);
  Window* Find(int window);
  const Window* Find(int window) const;
  // Every window, in the order of creation (the lowest one first).
  std::vector<const Window*> Windows() const;
  // The window that receives input now: the newest modal one that is
  // visible, or 0 when no modal loop runs.
  int ModalWindow() const;

  // Runs a nested message loop until EndModal is called for the window, and
  // returns its result. The window is shown first and destroyed afterwards.
  int RunModal(int window);
  void EndModal(int window, int result);

  // --- Messages ---------------------------------------------------------
  // Thread-safe: queue an event for the window's handler, in order.
  void Post(UiEvent event);
  // Thread-safe: run a function on this system's thread, in queue order.
  void PostTask(std::function<void()> task);
  // Dispatches every queued message and due timer without waiting, then
  // hands the changes to the backend. Safe to call from within handlers.
  void PumpPendingMessages();
  // Hands the changes made so far to the backend.
  void Flush();

  // A timer that posts kTimer events with its id every period_ms while the
  // window lives; setting an existing id restarts it.
  void SetTimer(int window, int timer_id, uint32_t period_ms);
  void KillTimer(int window, int timer_id);
  bool HasTimer(int window, int timer_id) const;

  // --- Window fields -----------------------------------------------------
  void SetCaption(int window, std::u16string caption);
  // The visible part of the window from its top, in dialog units.
  void SetShownHeight(int window, int height);
  // Inverts the window's flash state (the system's window-flash operation).
  void FlashWindow(int window);
  void SetFocus(int window, int control);

  // --- Controls -------------------------------------------------------------
  // The control, or null. Changes made through the pointer must be reported
  // with Touch so that the front ends redraw the control.
  ControlState* Control(int window, int control);
  void Touch(int window, int control);

  void SetText(int window, int control, std::u16string text);
  std::u16string Text(int window, int control) const;
  void Enable(int window, int control, bool enable);
  void Show(int window, int control, bool show);
  void SetCheck(int window, int control, bool checked);
  bool IsChecked(int window, int control) const;
  void SetIcon(int window, int control, std::u16string icon);
  void SetRange(int window, int control, int low, int high);
  void SetPosition(int window, int control, int position);
  // Plays (or, with resource 0, stops) a named animation in a loop.
  void SetAnimation(int window, int control, int resource, bool playing);

  // Drop-down list.
  void ResetItems(int window, int control);
  int AddItem(int window, int control, std::u16string text);
  void SelectItem(int window, int control, int index);

  // Tree view. Insert returns the new handle (0 when the control is none).
  TreeHandle InsertItem(int window, int control, TreeHandle parent, TreeItem item);
  void DeleteItem(int window, int control, TreeHandle item);
  void DeleteChildren(int window, int control, TreeHandle item);
  // The item, or null; report changes with Touch.
  TreeItem* Item(int window, int control, TreeHandle item);
  std::vector<TreeHandle> Children(int window, int control, TreeHandle item) const;
  void SelectTreeItem(int window, int control, TreeHandle item);
  void ExpandItem(int window, int control, TreeHandle item, bool expand);
  void SortChildren(int window, int control, TreeHandle item,
                    const std::function<bool(const TreeItem&, const TreeItem&)>& less);

  // List view.
  void SetColumns(int window, int control, std::vector<ListColumn> columns);
  void SetListDisplay(int window, int control, ListDisplay display);
  int AddRow(int window, int control, uint64_t data);
  void ClearRows(int window, int control);
  void SortRows(int window, int control, const std::function<bool(uint64_t, uint64_t)>& less);
  std::vector<int> SelectedRows(int window, int control) const;
  // Redraws the rows in view (their texts come from the display callback).
  void RedrawRows(int window, int control) { Touch(window, control); }

  // --- Standard dialogs ---------------------------------------------------
  // A modal message box with the kMb* flags of message_box.h; returns kIdOk,
  // kIdCancel, kIdYes or kIdNo.
  int MessageBox(const std::u16string& text, const std::u16string& caption, unsigned flags,
                 int parent = 0);
  void Beep(unsigned icon);

 private:
  struct Entry {
    std::unique_ptr<Window> window;
    WindowHandler* handler = nullptr;
  };
  struct Timer {
    int window, id;
    uint32_t period;
    uint64_t next_due;
  };
  struct ModalFrame {
    int window;
    bool ended = false;
    int result = 0;
  };
  struct Message {
    std::optional<UiEvent> event;
    std::function<void()> task;
  };
  struct Dirty {
    std::set<int> controls;
    bool window = false;
  };

  bool DispatchOne();  // one queued message or due timer; false when none
  bool FireDueTimer();
  void Dispatch(const UiEvent& event);
  bool AcceptsInput(int window) const;
  void ApplyToModel(Window& window, const UiEvent& event);
  void DefaultAction(Window& window, const UiEvent& event);
  void WaitForMessage(uint64_t deadline);
  void MarkDirty(int window, int control);
  void MarkWindowDirty(int window);
  TreeState* Tree(int window, int control);
  const TreeState* Tree(int window, int control) const;
  ListState* List(int window, int control);
  const ListState* List(int window, int control) const;

  // Owned by the user-interface thread.
  Backend* backend_;
  std::function<uint64_t()> clock_;
  std::map<int, Entry> windows_;
  int next_window_id_ = 1;
  std::vector<Timer> timers_;
  std::vector<ModalFrame*> modal_stack_;
  std::map<int, Dirty> dirty_;
  WindowSystem* previous_;  // the thread's system before this one

  // Guarded by queue_mutex_: filled by any thread.
  mutable std::mutex queue_mutex_;
  std::condition_variable queue_signal_;
  std::deque<Message> queue_;
};

// The message boxes of message_box.h shown as windows of a system: a front
// end installs one with SetCurrentMessageBoxes. REQUIRES: Show is called on
// the system's thread.
class WindowMessageBoxes : public MessageBoxes {
 public:
  explicit WindowMessageBoxes(WindowSystem& ui) : ui_(ui) {}
  int Show(const std::u16string& text, const std::u16string& caption, uint32_t type) override {
    return ui_.MessageBox(text, caption, type);
  }

 private:
  WindowSystem& ui_;
};

// "Pump pending messages" for code below the user interface: dispatches the
// queued messages of the calling thread's window system, if it has one.
void PumpPendingMessages();

}  // namespace bexa::platform::ui
