#include "platform/ui/folder_picker.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/codepage.h"
#include "platform/drives.h"
#include "platform/ui/dialog.h"

namespace bexa::platform::ui {
namespace {

constexpr int kDriveImage = 8;    // the node kind "local disk"
constexpr int kFolderImage = 20;  // the node kind "folder"
constexpr size_t kMaxFoldersShown = 5000;

DialogTemplate PickerTemplate(const std::u16string& title) {
  DialogTemplate t;
  t.resource_id = kPickerResource;
  t.caption = u"Browse for Folder";
  t.width = 240;
  t.height = 196;
  t.controls = {
      {kPickerTitle, ControlKind::kStatic, 8, 6, 224, 10, 0, title},
      {kPickerTree, ControlKind::kTreeView, 8, 20, 224, 132, kStyleBorder},
      {kPickerPath, ControlKind::kEdit, 8, 156, 224, 12},
      {kIdOk, ControlKind::kDefaultButton, 126, 174, 50, 14, 0, u"OK"},
      {kIdCancel, ControlKind::kButton, 182, 174, 50, 14, 0, u"Cancel"},
  };
  return t;
}

class PickerDialog : public Dialog {
 public:
  PickerDialog(WindowSystem& ui, const std::u16string& title) : Dialog(ui, PickerTemplate(title)) {}
  std::u16string chosen;

 protected:
  void OnInitDialog() override {
    for (const Drive& d : Drives()) {
      std::error_code ec;
      if (!std::filesystem::is_directory(d.host_folder.empty() ? "/" : d.host_folder, ec)) continue;
      std::u16string root = std::u16string(1, d.letter) + u":\\";
      Add(kTreeRoot, u"(" + std::u16string(1, d.letter) + u":)", root, kDriveImage);
    }
  }

  // The edit holds the selected folder, or what the user typed there (a
  // Windows path or a host path).
  void OnOK() override {
    std::u16string typed = Text(kPickerPath);
    while (!typed.empty() && (typed.back() == u' ' || typed.back() == u'\t')) typed.pop_back();
    while (!typed.empty() && typed.front() == u' ') typed.erase(0, 1);
    if (typed.empty()) return;
    chosen = typed.front() == u'/' ? WindowsPathOf(WideToUtf8(typed)) : typed;
    EndDialog(kIdOk);
  }

  bool OnOtherEvent(const UiEvent& event) override {
    if (event.control != kPickerTree) return false;
    if (event.kind == EventKind::kTreeExpanding && event.value != 0) {
      Load(event.item);
      return false;  // and expand
    }
    if (event.kind == EventKind::kTreeSelect) {
      TreeItem* item = ui().Item(window_id(), kPickerTree, event.item);
      if (item) SetText(kPickerPath, paths_[item->data]);
      return true;
    }
    return false;
  }

 private:
  TreeHandle Add(TreeHandle parent, const std::u16string& label, const std::u16string& path,
                 int image) {
    TreeItem item;
    item.text = label;
    item.image = image;
    item.selected_image = image + 1;
    item.has_children = true;
    item.data = paths_.size();
    paths_.push_back(path);
    loaded_.push_back(false);
    return ui().InsertItem(window_id(), kPickerTree, parent, std::move(item));
  }

  void Load(TreeHandle handle) {
    TreeItem* item = ui().Item(window_id(), kPickerTree, handle);
    if (!item || loaded_[item->data]) return;
    loaded_[item->data] = true;
    std::u16string path = paths_[item->data];
    std::vector<std::u16string> names;
    if (std::optional<std::string> host = HostPathOf(path)) {
      std::error_code ec;
      for (std::filesystem::directory_iterator it(*host, ec), end; !ec && it != end;
           it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_directory(type_ec)) continue;
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        names.push_back(Utf8ToWide(name));
        if (names.size() >= kMaxFoldersShown) break;
      }
    }
    std::sort(names.begin(), names.end());
    for (const std::u16string& name : names) {
      std::u16string child = path;
      if (child.back() != u'\\') child += u'\\';
      Add(handle, name, child + name, kFolderImage);
    }
    if (TreeItem* again = ui().Item(window_id(), kPickerTree, handle)) {
      again->has_children = !names.empty();
      ui().Touch(window_id(), kPickerTree);
    }
  }

  std::vector<std::u16string> paths_;
  std::vector<bool> loaded_;
};

}  // namespace

std::optional<std::u16string> BrowseForFolder(WindowSystem& ui, const std::u16string& title,
                                              int parent) {
  PickerDialog picker(ui, title);
  if (picker.DoModal(parent) != kIdOk) return std::nullopt;
  return picker.chosen;
}

FolderPicker SystemFolderPicker(WindowSystem& ui) {
  return [&ui](const std::u16string& title, int parent) { return BrowseForFolder(ui, title, parent); };
}

}  // namespace bexa::platform::ui
