#include "control/panel_window.h"

#include <mutex>

namespace bexa {

namespace {

std::mutex factory_mutex;
PanelWindowFactory installed_factory;  // guarded by factory_mutex; empty: the default

std::unique_ptr<PanelWindow> DefaultMainPanel(Session&) { return std::make_unique<PlaceholderPanel>(); }

}  // namespace

PanelWindowFactory SetPanelWindowFactory(PanelWindowFactory factory) {
  std::lock_guard lock(factory_mutex);
  return std::exchange(installed_factory, std::move(factory));
}

std::unique_ptr<PanelWindow> CreatePanelWindowFor(Session& session) {
  PanelWindowFactory factory;
  {
    std::lock_guard lock(factory_mutex);
    factory = installed_factory;
  }
  return factory ? factory(session) : DefaultMainPanel(session);
}

bool PlaceholderPanel::CreatePanelWindow(platform::com::WindowHandle parent) {
  if (parent == 0) return false;
  parent_ = parent;
  return true;
}

void PlaceholderPanel::DestroyPanelWindow() {
  parent_ = 0;
  visible_ = false;
}

}  // namespace bexa
