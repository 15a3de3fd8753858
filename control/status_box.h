// The status box (527) that ends a restore: an icon, the message, OK and
// Cancel as the caller asks, the details behind "More >>", and optionally a
// window that flashes once a second until the user closes it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "control/dialog_texts.h"
#include "platform/ui/window_system.h"

namespace bexa {

constexpr int kStatusBoxDialogId = 527;
constexpr int kStatusFlashTimer = 527;

enum class StatusIcon { kWarning, kQuestion, kError };

struct StatusBoxRequest {
  std::u16string message;
  StatusIcon icon = StatusIcon::kError;
  std::optional<std::u16string> ok_text, cancel_text;
  bool hide_ok = false, hide_cancel = false;
  std::u16string details;  // empty: no details button
  // The flash flag and tick count, when given. The flag is always taken;
  // the tick count only when both are non-zero.
  std::optional<std::pair<bool, uint32_t>> flash;
  int32_t language_offset = 0;
  std::u16string display_name;
  int parent = 0;
};

class StatusBox {
 public:
  StatusBox(platform::ui::WindowSystem& ui, TextLookup texts, StatusBoxRequest request);
  ~StatusBox();
  StatusBox(const StatusBox&) = delete;
  StatusBox& operator=(const StatusBox&) = delete;

  // Modal: returns kIdOk or kIdCancel, the button that ended it.
  int DoModal();
  // Modeless: shows the box and returns; it destroys itself when a button
  // ends it, and result() tells which.
  void Create();
  bool IsOpen() const;
  int result() const { return result_; }
  int window_id() const;

 private:
  class Window;
  platform::ui::WindowSystem& ui_;
  TextLookup texts_;
  StatusBoxRequest request_;
  std::unique_ptr<Window> window_;
  int result_ = 0;
};

}  // namespace bexa
