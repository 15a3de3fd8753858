#include "platform/file_types.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/codepage.h"

namespace bexa::platform {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string XmlText(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out.push_back(s[i]);
      continue;
    }
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    bool done = false;
    for (const auto& [name, c] : kEntities) {
      if (s.substr(i, name.size()) == name) {
        out.push_back(c);
        i += name.size() - 1;
        done = true;
        break;
      }
    }
    if (!done) out.push_back('&');
  }
  return out;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

MimeDatabase::MimeDatabase(std::string mime_folder, std::string icon_folder)
    : mime_folder_(std::move(mime_folder)), icon_folder_(std::move(icon_folder)) {}

bool MimeDatabase::TypeOf(std::u16string_view key, std::u16string& mime_type) const {
  if (key.empty()) return false;
  const std::string k = Lower(WideToUtf8(key));
  std::ifstream in(mime_folder_ + "/globs2");
  std::string line, best;
  int best_weight = -1;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find(':');
    const size_t b = a == std::string::npos ? a : line.find(':', a + 1);
    if (b == std::string::npos) continue;
    const size_t c = line.find(':', b + 1);
    const std::string pattern = Lower(line.substr(b + 1, c == std::string::npos ? c : c - b - 1));
    if (pattern != "*" + k && pattern != k) continue;
    const int weight = std::atoi(line.substr(0, a).c_str());
    if (weight > best_weight) {
      best_weight = weight;
      best = line.substr(a + 1, b - a - 1);
    }
  }
  if (best.empty()) return false;
  mime_type = Utf8ToWide(best);
  return true;
}

bool MimeDatabase::CommentOf(std::u16string_view mime_type, std::u16string& comment,
                             size_t max_chars) const {
  const std::string type = WideToUtf8(mime_type);
  if (type.find("..") != std::string::npos || type.find('/') == std::string::npos) return false;
  std::ifstream in(mime_folder_ + "/" + type + ".xml");
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string xml = ss.str();
  const size_t open = xml.find("<comment>");
  if (open == std::string::npos) return false;
  const size_t start = open + 9;
  const size_t close = xml.find("</comment>", start);
  if (close == std::string::npos) return false;
  std::u16string text = Utf8ToWide(XmlText(std::string_view(xml).substr(start, close - start)));
  if (text.size() > max_chars) return false;
  comment = std::move(text);
  return true;
}

void MimeDatabase::IconsOf(std::u16string_view mime_type, std::string& large,
                           std::string& small) const {
  large.clear();
  small.clear();
  if (icon_folder_.empty()) return;
  const std::string type = WideToUtf8(mime_type);
  std::string own = type;
  for (char& c : own) {
    if (c == '/') c = '-';
  }
  std::string generic;
  std::ifstream in(mime_folder_ + "/generic-icons");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, type.size() + 1, type + ":") == 0) generic = line.substr(type.size() + 1);
  }
  for (const std::string& name : {own, generic}) {
    if (name.empty() || name.find('/') != std::string::npos) continue;
    const std::string l = icon_folder_ + "/32x32/mimetypes/" + name + ".png";
    const std::string s = icon_folder_ + "/16x16/mimetypes/" + name + ".png";
    if (large.empty() && Exists(l)) large = l;
    if (small.empty() && Exists(s)) small = s;
  }
}

}  // namespace bexa::platform
