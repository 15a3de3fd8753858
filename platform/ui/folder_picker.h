// The system's folder picker: a modal window with a tree of the drives of
// the drive table and their folders (folders only, loaded as they are
// opened). Paths are in their Windows form (C:\dir, Z:\home\u).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/ui/window_system.h"

namespace bexa::platform::ui {

// Control ids of the picker window, for scripts and the front ends.
constexpr int kPickerTitle = 10;
constexpr int kPickerTree = 100;
constexpr int kPickerPath = 101;
constexpr int kPickerResource = 9001;

// Shows the picker with a title; the chosen folder, or nothing on Cancel.
std::optional<std::u16string> BrowseForFolder(WindowSystem& ui, const std::u16string& title,
                                              int parent = 0);

// The picker as the dialogs take it, so that a test can answer it directly.
using FolderPicker =
    std::function<std::optional<std::u16string>(const std::u16string& title, int parent)>;
FolderPicker SystemFolderPicker(WindowSystem& ui);

}  // namespace bexa::platform::ui
