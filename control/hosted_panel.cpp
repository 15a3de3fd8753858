#include "control/hosted_panel.h"

#include <mutex>

#include "control/main_panel.h"
#include "control/secret_key_dialog.h"
#include "lang/kvo_lang.h"
#include "platform/ui/window_system.h"

namespace bexa {

namespace {

std::mutex factory_mutex;
MainPanelFactory installed_factory;  // guarded by factory_mutex; empty: the default

// The main panel in the control's window: made with the window when the
// control gets one, gone with it. While it lives, the session's logon asks
// for a rejected secret key with the panel's Secret Key Entry dialog.
class WindowedMainPanel final : public HostedPanel, private SecretKeyDialog {
 public:
  WindowedMainPanel(platform::ui::WindowSystem& ui, Session& session) : ui_(ui), session_(session) {}
  ~WindowedMainPanel() override { DestroyPanelWindow(); }

  bool CreatePanelWindow(platform::com::WindowHandle parent) override {
    if (parent == 0) return false;
    panel_ = std::make_unique<MainPanel>(ui_, session_, &FullIdText);
    panel_->Create(static_cast<int>(parent));
    session_.SetSecretKeyDialog(this);
    return panel_->window_id() != 0;
  }
  // The window system lays the panel out from its template; the bounds only
  // say where the host shows it.
  void MovePanelWindow(const platform::com::ComRect&) override {}
  void ShowPanelWindow() override {
    if (panel_) panel_->Show(true);
  }
  void InvalidatePanel(const platform::com::ComRect&) override {}
  void DestroyPanelWindow() override {
    if (!panel_) return;
    session_.SetSecretKeyDialog(nullptr);
    panel_.reset();
  }

 private:
  std::optional<std::u16string> AskSecretKey(std::u16string_view hint) override {
    return bexa::AskSecretKey(ui_, &FullIdText, session_.parameters().language_offset,
                              std::u16string(hint), panel_ ? panel_->window_id() : 0);
  }

  // The panel asks by full id (English id plus the language offset).
  static std::u16string FullIdText(int32_t id) {
    std::u16string buffer(kKvolBufferSize, u'\0');
    KVOL_get(id, buffer.data());
    return std::u16string(buffer.c_str());
  }

  platform::ui::WindowSystem& ui_;
  Session& session_;
  std::unique_ptr<MainPanel> panel_;
};

std::unique_ptr<HostedPanel> DefaultMainPanel(Session& session) {
  platform::ui::WindowSystem* ui = platform::ui::WindowSystem::ForThisThread();
  if (ui == nullptr) return std::make_unique<PlaceholderPanel>();
  return std::make_unique<WindowedMainPanel>(*ui, session);
}

}  // namespace

MainPanelFactory SetMainPanelFactory(MainPanelFactory factory) {
  std::lock_guard lock(factory_mutex);
  return std::exchange(installed_factory, std::move(factory));
}

std::unique_ptr<HostedPanel> CreateMainPanel(Session& session) {
  MainPanelFactory factory;
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
