#include "control/selection_set.h"

#include <algorithm>

#include "util/text.h"

namespace bexa {

std::vector<SelectionEntry>::const_iterator SelectionSet::LowerBound(std::u16string_view key) const {
  return std::lower_bound(entries_.begin(), entries_.end(), key,
                          [](const SelectionEntry& e, std::u16string_view k) { return e.key < k; });
}

void SelectionSet::Add(const std::u16string& key, int64_t size, int flag) {
  auto it = entries_.begin() + (LowerBound(key) - entries_.cbegin());
  if (it != entries_.end() && it->key == key) {
    if (flag == 0 || size < 0) return;
    if (it->size >= 0) {
      --count_;
      total_bytes_ -= it->size;
    }
    *it = {key, size, flag};
  } else {
    entries_.insert(it, {key, size, flag});
  }
  if (size >= 0) {
    ++count_;
    total_bytes_ += size;
  }
}

void SelectionSet::Remove(const std::u16string& key) {
  auto it = entries_.begin() + (LowerBound(key) - entries_.cbegin());
  if (it == entries_.end() || it->key != key) return;
  if (it->size >= 0) {
    --count_;
    total_bytes_ -= it->size;
  }
  entries_.erase(it);
}

void SelectionSet::AddAll(std::vector<SelectionEntry> entries) {
  if (entries.size() < 16) {
    for (SelectionEntry& e : entries) Add(e.key, e.size, e.flag);
    return;
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const SelectionEntry& a, const SelectionEntry& b) { return a.key < b.key; });
  std::vector<SelectionEntry> merged;
  merged.reserve(entries_.size() + entries.size());
  auto old_it = entries_.begin();
  for (size_t i = 0; i < entries.size();) {
    const std::u16string key = entries[i].key;
    while (old_it != entries_.end() && old_it->key < key) merged.push_back(std::move(*old_it++));
    std::optional<SelectionEntry> current;
    if (old_it != entries_.end() && old_it->key == key) current = std::move(*old_it++);
    // Each new entry of this key as a single Add in the given order would.
    size_t j = i;
    for (; j < entries.size() && entries[j].key == key; ++j) {
      SelectionEntry& e = entries[j];
      if (current && (e.flag == 0 || e.size < 0)) continue;
      if (current && current->size >= 0) {
        --count_;
        total_bytes_ -= current->size;
      }
      if (e.size >= 0) {
        ++count_;
        total_bytes_ += e.size;
      }
      current = std::move(e);
    }
    merged.push_back(std::move(*current));
    i = j;
  }
  while (old_it != entries_.end()) merged.push_back(std::move(*old_it++));
  entries_ = std::move(merged);
}

void SelectionSet::RemoveAll(std::vector<std::u16string> keys) {
  if (keys.size() < 16) {
    for (const std::u16string& k : keys) Remove(k);
    return;
  }
  std::sort(keys.begin(), keys.end());
  std::vector<SelectionEntry> kept;
  kept.reserve(entries_.size());
  auto k = keys.begin();
  for (SelectionEntry& e : entries_) {
    while (k != keys.end() && *k < e.key) ++k;
    if (k != keys.end() && *k == e.key) {
      if (e.size >= 0) {
        --count_;
        total_bytes_ -= e.size;
      }
      continue;
    }
    kept.push_back(std::move(e));
  }
  entries_ = std::move(kept);
}

bool SelectionSet::ContainsKey(std::u16string_view key) const {
  auto it = LowerBound(key);
  return it != entries_.end() && it->key == key;
}

bool SelectionSet::Contains(std::u16string_view key) const {
  if (ContainsKey(key)) return true;
  const std::u16string prefix = std::u16string(key) + u":";
  auto it = LowerBound(prefix);
  return it != entries_.end() && std::u16string_view(it->key).substr(0, prefix.size()) == prefix;
}

bool SelectionSet::ContainsBelow(std::u16string_view path) const {
  // Keys that start with the path lie together from its lower bound on.
  auto it = LowerBound(path);
  if (it != entries_.end() && std::u16string_view(it->key).substr(0, path.size()) == path)
    return true;
  // Keys that are a beginning of the path.
  for (size_t n = 1; n < path.size(); ++n)
    if (ContainsKey(path.substr(0, n))) return true;
  return false;
}

void SelectionSet::Clear() {
  entries_.clear();
  count_ = 0;
  total_bytes_ = 0;
}

std::vector<std::u16string> SelectionSet::VersionsOf(std::u16string_view path) const {
  std::vector<std::u16string> keys;
  const std::u16string prefix = std::u16string(path) + u":";
  for (auto it = LowerBound(prefix); it != entries_.end(); ++it) {
    std::u16string_view k(it->key);
    if (k.substr(0, prefix.size()) != prefix) break;
    // Only "path:date": the rest holds no further ":".
    if (k.find(u':', prefix.size()) == std::u16string_view::npos) keys.push_back(it->key);
  }
  return keys;
}

SelectionStatusTexts SelectionStatus(int64_t count, int64_t bytes, const TextById& text,
                                     std::u16string_view thousands) {
  if (count == 0) return {text(1129), text(1130)};
  const std::u16string files = Format(text(1128), GroupDigits(ToText(count), thousands));
  if (bytes >= 1 && bytes <= 1023) return {files, text(1131)};
  return {files, Format(text(1132), GroupDigits(ToText(bytes / 1024), thousands))};
}

}  // namespace bexa
