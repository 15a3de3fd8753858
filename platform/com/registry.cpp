#include "platform/com/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/codepage.h"
#include "platform/home.h"

namespace bexa::platform::com {

namespace {

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = Fold(c);
  return out;
}

// Splits a key path at "\"; nothing for an invalid path.
std::optional<std::vector<std::u16string_view>> Components(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  if (path.empty()) return parts;
  size_t start = 0;
  while (true) {
    const size_t end = path.find(u'\\', start);
    const std::u16string_view part =
        path.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
    if (part.empty() || part.find_first_of(u"\r\n") != std::u16string_view::npos) return std::nullopt;
    parts.push_back(part);
    if (end == std::u16string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

bool IsBelow(const std::u16string& folded_path, const std::u16string& folded_parent) {
  return folded_path.size() > folded_parent.size() + 1 &&
         folded_path.compare(0, folded_parent.size(), folded_parent) == 0 &&
         folded_path[folded_parent.size()] == u'\\';
}

std::string Quoted(std::u16string_view text) {
  std::string out = "\"";
  for (char c : WideToUtf8(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// Reads a quoted text at line[at]; moves at past it.
std::optional<std::u16string> Unquoted(std::string_view line, size_t& at) {
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  std::string out;
  for (++at; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"') {
      ++at;
      return Utf8ToWide(out);
    }
    if (c == '\\') {
      if (++at >= line.size()) return std::nullopt;
      switch (line[at]) {
        case '\\': c = '\\'; break;
        case '"': c = '"'; break;
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        case 't': c = '\t'; break;
        default: return std::nullopt;
      }
    }
    out += c;
  }
  return std::nullopt;
}

HRESULT FromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
      return E_ACCESSDENIED;
    case ENOMEM:
      return E_OUTOFMEMORY;
    default:
      return E_FAIL;
  }
}

bool ValidHiveName(std::string_view hive) {
  if (hive.empty()) return false;
  for (char c : hive)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')) return false;
  return true;
}

HRESULT ReadHiveFile(const std::string& path, RegistryHive& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) return FromErrno(errno);
    out = RegistryHive();
    return S_OK;
  }
  std::string text;
  char buffer[8192];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return FromErrno(err);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  auto hive = RegistryHive::FromText(text);
  if (!hive) return E_FAIL;
  out = std::move(*hive);
  return S_OK;
}

// Creates the store's folder (and BEXA_HOME above it) for its owner.
HRESULT MakeStoreFolder() {
  for (const std::string& folder : {BexaHome(), RegistryFolder()}) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return FromErrno(errno);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return FromErrno(errno);
    if (!S_ISDIR(st.st_mode)) return E_ACCESSDENIED;
  }
  return S_OK;
}

}  // namespace

bool RegistryHive::PathOrder::operator()(const std::u16string& a, const std::u16string& b) const {
  // "\" sorts below every other character, so "A\B" comes before "A.B"
  // and "AB": a key's subtree is one run.
  auto rank = [](char16_t c) { return c == u'\\' ? 0 : static_cast<int>(c) + 1; };
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return rank(a[i]) < rank(b[i]);
  return a.size() < b.size();
}

RegistryHive::Key* RegistryHive::Find(std::u16string_view path) {
  auto it = keys_.find(Folded(path));
  return it == keys_.end() ? nullptr : &it->second;
}

const RegistryHive::Key* RegistryHive::Find(std::u16string_view path) const {
  auto it = keys_.find(Folded(path));
  return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryHive::KeyExists(std::u16string_view path) const {
  return path.empty() || Find(path) != nullptr;
}

bool RegistryHive::CreateKey(std::u16string_view path) {
  auto parts = Components(path);
  if (!parts) return false;
  std::u16string sofar;
  for (std::u16string_view part : *parts) {
    if (!sofar.empty()) sofar += u'\\';
    sofar += part;
    const std::u16string folded = Folded(sofar);
    auto it = keys_.find(folded);
    if (it == keys_.end()) {
      keys_.emplace(folded, Key{sofar, {}});
    } else {
      sofar = it->second.path;  // keep the stored case of existing parents
    }
  }
  return true;
}

bool RegistryHive::SetValue(std::u16string_view path, std::u16string_view name,
                            std::u16string_view value) {
  if (path.empty() || !CreateKey(path)) return false;
  Key* key = Find(path);
  key->values[Folded(name)] = {std::u16string(name), std::u16string(value)};
  return true;
}

std::optional<std::u16string> RegistryHive::Value(std::u16string_view path,
                                                  std::u16string_view name) const {
  const Key* key = Find(path);
  if (key == nullptr) return std::nullopt;
  auto it = key->values.find(Folded(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.second;
}

bool RegistryHive::DeleteValue(std::u16string_view path, std::u16string_view name) {
  Key* key = Find(path);
  return key != nullptr && key->values.erase(Folded(name)) > 0;
}

bool RegistryHive::DeleteKey(std::u16string_view path) {
  if (path.empty()) return false;
  auto it = keys_.find(Folded(path));
  if (it == keys_.end()) return false;
  auto next = std::next(it);
  if (next != keys_.end() && IsBelow(next->first, it->first)) return false;
  keys_.erase(it);
  return true;
}

bool RegistryHive::DeleteTree(std::u16string_view path) {
  if (path.empty()) return false;
  auto it = keys_.find(Folded(path));
  if (it == keys_.end()) return false;
  const std::u16string top = it->first;
  auto end = std::next(it);
  while (end != keys_.end() && IsBelow(end->first, top)) ++end;
  keys_.erase(it, end);
  return true;
}

std::vector<std::u16string> RegistryHive::SubKeys(std::u16string_view path) const {
  std::vector<std::u16string> names;
  const std::u16string folded = Folded(path);
  auto it = path.empty() ? keys_.begin() : keys_.upper_bound(folded);
  for (; it != keys_.end(); ++it) {
    if (!path.empty() && !IsBelow(it->first, folded)) break;
    const size_t from = path.empty() ? 0 : folded.size() + 1;
    if (it->first.find(u'\\', from) == std::u16string::npos)
      names.push_back(it->second.path.substr(from));
  }
  return names;
}

std::vector<std::pair<std::u16string, std::u16string>> RegistryHive::Values(
    std::u16string_view path) const {
  std::vector<std::pair<std::u16string, std::u16string>> out;
  if (const Key* key = Find(path))
    for (const auto& [folded, value] : key->values) out.push_back(value);
  return out;
}

std::string RegistryHive::ToText(std::string_view hive_name) const {
  std::string text = "; " + std::string(hive_name) + "\n";
  for (const auto& [folded, key] : keys_) {
    text += "\n[" + WideToUtf8(key.path) + "]\n";
    for (const auto& [name_folded, value] : key.values) {
      text += value.first.empty() ? std::string("@") : Quoted(value.first);
      text += "=" + Quoted(value.second) + "\n";
    }
  }
  return text;
}

std::optional<RegistryHive> RegistryHive::FromText(std::string_view text, std::string* error) {
  RegistryHive hive;
  std::u16string current;  // empty: no section yet
  int line_number = 0;
  auto fail = [&](const std::string& reason) -> std::optional<RegistryHive> {
    if (error) *error = "line " + std::to_string(line_number) + ": " + reason;
    return std::nullopt;
  };
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.size() < 3 || line.back() != ']') return fail("unclosed key name");
      current = Utf8ToWide(line.substr(1, line.size() - 2));
      if (!hive.CreateKey(current)) return fail("invalid key name");
      continue;
    }
    if (current.empty()) return fail("value outside a key");
    size_t at = 0;
    std::u16string name;
    if (line.front() == '@') {
      at = 1;
    } else {
      auto quoted = Unquoted(line, at);
      if (!quoted) return fail("bad value name");
      name = *quoted;
    }
    if (at >= line.size() || line[at] != '=') return fail("\"=\" expected");
    ++at;
    auto value = Unquoted(line, at);
    if (!value || at != line.size()) return fail("bad value text");
    hive.SetValue(current, name, *value);
  }
  return hive;
}

std::string HiveFilePath(std::string_view hive) {
  return RegistryFolder() + "/" + std::string(hive) + ".reg";
}

HRESULT ReadHive(std::string_view hive, RegistryHive& out) {
  if (!ValidHiveName(hive)) return E_INVALIDARG;
  return ReadHiveFile(HiveFilePath(hive), out);
}

HRESULT EditHive(std::string_view hive, const std::function<HRESULT(RegistryHive&)>& edit) {
  if (!ValidHiveName(hive)) return E_INVALIDARG;
  if (HRESULT hr = MakeStoreFolder(); Failed(hr)) return hr;

  const std::string lock_path = RegistryFolder() + "/.lock";
  const int lock = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return FromErrno(errno);
  struct Unlock {
    int fd;
    ~Unlock() { ::close(fd); }  // closing drops the lock
  } unlock{lock};
  if (::flock(lock, LOCK_EX) != 0) return FromErrno(errno);

  const std::string path = HiveFilePath(hive);
  RegistryHive data;
  if (HRESULT hr = ReadHiveFile(path, data); Failed(hr)) return hr;
  if (HRESULT hr = edit(data); Failed(hr)) return hr;

  const std::string temp = path + ".new";
  const std::string text = data.ToText(hive);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return FromErrno(errno);
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      return FromErrno(err);
    }
    written += static_cast<size_t>(n);
  }
  const bool synced = ::fsync(fd) == 0;
  const int sync_err = errno;
  if (::close(fd) != 0 || !synced) {
    const int err = synced ? errno : sync_err;
    ::unlink(temp.c_str());
    return FromErrno(err);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return FromErrno(err);
  }
  return S_OK;
}

}  // namespace bexa::platform::com
