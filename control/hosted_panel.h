// The main panel as the control sees it: an object made when the control is
// constructed (not yet a window), whose window becomes a child of the
// control's window, is moved and shown when the control draws, and is
// destroyed with the control.
//
// The panel comes from the installed factory. The default factory hosts the
// main panel (control/main_panel.h) on the calling thread's window system;
// on a thread without one it makes a PlaceholderPanel, which shows only that
// the panel cannot be shown there.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "session/session.h"
#include "platform/com/control.h"

namespace bexa {

class HostedPanel {
 public:
  virtual ~HostedPanel() = default;
  // Creates the panel's window (dialog 101) as a child of parent. False
  // when it cannot be created.
  virtual bool CreatePanelWindow(platform::com::WindowHandle parent) = 0;
  // Moves the window to bounds (in the parent's pixels).
  virtual void MovePanelWindow(const platform::com::ComRect& bounds) = 0;
  virtual void ShowPanelWindow() = 0;
  // Marks area for repainting.
  virtual void InvalidatePanel(const platform::com::ComRect& area) = 0;
  // Destroys the window, if there is one.
  virtual void DestroyPanelWindow() = 0;
};

// Makes the main panel object of a control for the session.
using MainPanelFactory = std::function<std::unique_ptr<HostedPanel>(Session&)>;

// Installs factory for the controls created from now on; an empty factory
// puts the default back. Returns the factory installed before (empty for
// the default).
MainPanelFactory SetMainPanelFactory(MainPanelFactory factory);

// Makes a panel with the installed factory (see above for the default).
std::unique_ptr<HostedPanel> CreateMainPanel(Session& session);

// The stand-in where no window system runs: an empty panel that says so.
// It keeps what the control asked of it, so that hosts and tests can see it.
class PlaceholderPanel : public HostedPanel {
 public:
  // The one line the placeholder shows.
  static constexpr char16_t kText[] = u"The main panel is not available without a window system.";

  bool CreatePanelWindow(platform::com::WindowHandle parent) override;
  void MovePanelWindow(const platform::com::ComRect& bounds) override { bounds_ = bounds; }
  void ShowPanelWindow() override { visible_ = true; }
  void InvalidatePanel(const platform::com::ComRect&) override {}
  void DestroyPanelWindow() override;

  std::u16string Text() const { return kText; }
  platform::com::WindowHandle Parent() const { return parent_; }
  const platform::com::ComRect& Bounds() const { return bounds_; }
  bool Visible() const { return visible_; }

 private:
  platform::com::WindowHandle parent_ = 0;  // 0 while there is no window
  platform::com::ComRect bounds_;
  bool visible_ = false;
};

}  // namespace bexa
