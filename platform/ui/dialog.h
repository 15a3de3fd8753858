// A dialog built from a template, shown modally (a nested message loop that
// ends with a result) or modelessly. Subclasses fill their controls in
// OnInitDialog and react in OnCommand, OnOK and OnCancel.
#pragma once

#include <string>

#include "platform/ui/window_system.h"

namespace bexa::platform::ui {

class Dialog : public WindowHandler {
 public:
  Dialog(WindowSystem& ui, DialogTemplate tmpl);
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the window, runs OnInitDialog and the modal loop; returns the
  // value given to EndDialog (kIdCancel when the window went otherwise).
  int DoModal(int parent = 0);
  // Creates and shows the window without waiting; EndDialog destroys it.
  void Create(int parent = 0);
  // Ends a modal dialog with the result, or destroys a modeless one.
  void EndDialog(int result);

  // 0 before creation and after the window is gone.
  int window_id() const;
  bool IsOpen() const { return window_id() != 0; }
  WindowSystem& ui() { return ui_; }

 protected:
  virtual void OnInitDialog() {}
  // A button other than OK and Cancel (or a check box, a radio): true when
  // handled.
  virtual bool OnCommand(int /*control*/) { return false; }
  virtual void OnOK() { EndDialog(kIdOk); }
  virtual void OnCancel() { EndDialog(kIdCancel); }
  // Every other event (timers, lists, trees); true when handled.
  virtual bool OnOtherEvent(const UiEvent& /*event*/) { return false; }

  bool OnEvent(const UiEvent& event) override;

  void SetText(int control, std::u16string text) { ui_.SetText(window_, control, std::move(text)); }
  std::u16string Text(int control) const { return ui_.Text(window_, control); }
  void Enable(int control, bool enable) { ui_.Enable(window_, control, enable); }
  void Show(int control, bool show) { ui_.Show(window_, control, show); }
  void SetCheck(int control, bool checked) { ui_.SetCheck(window_, control, checked); }
  bool IsChecked(int control) const { return ui_.IsChecked(window_, control); }
  // The template's height in dialog units (the dialog's full height).
  int FullHeight() const { return template_.height; }
  const DialogTemplate& dialog_template() const { return template_; }

 private:
  void CreateWindow(int parent, bool modal);

  WindowSystem& ui_;
  DialogTemplate template_;
  int window_ = 0;
  bool modal_ = false;
};

}  // namespace bexa::platform::ui
