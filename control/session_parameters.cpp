#include "control/session_parameters.h"

#include <array>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/home.h"
#include "platform/drives.h"
#include "platform/profile.h"
#include "util/file_system.h"
#include "util/text.h"

namespace bexa {
namespace {

struct Replacement {
  const char16_t* pattern;
  const char16_t* text;
};

// In this order: "%25" first, so "%253C" ends as "<".
constexpr Replacement kUrlDecoding[] = {
    {u"%25", u"%"},  {u"%0A%0D", u"\n"}, {u"%0a%0d", u"\n"}, {u"%3C", u"<"},  {u"%3c", u"<"},
    {u"%3E", u">"},  {u"%3e", u">"},     {u"%2F", u"/"},     {u"%2f", u"/"},  {u"%7C", u"|"},
    {u"%7c", u"|"},  {u"%3F", u"?"},     {u"%3f", u"?"},     {u"%21", u"!"},  {u"%40", u"@"},
    {u"%5C", u"\\"}, {u"%5c", u"\\"},    {u"%23", u"#"},     {u"%24", u"$"},  {u"%5E", u"^"},
    {u"%5e", u"^"},  {u"%26", u"&"},     {u"%2A", u"*"},     {u"%2a", u"*"},  {u"%28", u"("},
    {u"%29", u")"},  {u"%7D", u"}"},     {u"%7d", u"}"},     {u"%3A", u":"},  {u"%3a", u":"},
    {u"%2C", u","},  {u"%2c", u","},     {u"%7B", u"{"},     {u"%7b", u"{"},  {u"%2B", u"+"},
    {u"%2b", u"+"},  {u"%2E", u"."},     {u"%2e", u"."},     {u"%2D", u"-"},  {u"%2d", u"-"},
    {u"%7E", u"~"},  {u"%7e", u"~"},     {u"%5B", u"["},     {u"%5b", u"["},  {u"%5F", u"_"},
    {u"%5f", u"_"},  {u"%5D", u"]"},     {u"%5d", u"]"},     {u"%60", u"`"},  {u"%3D", u"="},
    {u"%3d", u"="},  {u"%27", u"'"},     {u"+", u" "},       {u"%22", u"\""},
};

constexpr size_t kMaxSettingsChars = 259;
constexpr size_t kHandoffValueChars = 128;  // buffer size: 127 characters used
constexpr size_t kMaxChkValsChars = 1025;
constexpr size_t kMaxChkValsValueChars = 79;

void ReplaceAll(std::u16string& text, std::u16string_view pattern, std::u16string_view with) {
  std::u16string out;
  size_t pos = 0;
  bool any = false;
  for (size_t hit; (hit = text.find(pattern, pos)) != std::u16string::npos;) {
    out.append(text, pos, hit - pos);
    out.append(with);
    pos = hit + pattern.size();
    any = true;
  }
  if (!any) return;
  out.append(text, pos, std::u16string::npos);
  text.swap(out);
}

int Base64Value(char16_t c) {
  const char16_t low = c & 0x7F;
  if (low >= u'A' && low <= u'Z') return low - u'A';
  if (low >= u'a' && low <= u'z') return low - u'a' + 26;
  if (low >= u'0' && low <= u'9') return low - u'0' + 52;
  if (low == u'+') return 62;
  if (low == u'/') return 63;
  if (low == u'=') return -2;
  return -1;
}

// The leading decimal number of a text (an optional sign first); 0 when none.
int32_t LeadingNumber(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    v = v * 10 + (s[i] - u'0');
    if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
  }
  return static_cast<int32_t>(negative ? -v : v);
}

std::string HostOf(std::u16string_view path) {
  std::string host;
  platform::MapToHost(path, host);
  return host;
}

}  // namespace

bool ApplyLanguageCode(std::u16string_view value, int32_t& language_offset) {
  static constexpr std::pair<const char16_t*, int32_t> kCodes[] = {
      {u"ENG", 0}, {u"ESP", 1000}, {u"CAT", 2000}, {u"EUQ", 3000}, {u"GLL", 4000}};
  const std::u16string upper = ToUpper(value);
  for (const auto& [code, offset] : kCodes) {
    if (upper.find(code) != std::u16string::npos) {
      language_offset = offset;
      return true;
    }
  }
  return false;
}

std::u16string UrlDecodeCookieValue(std::u16string_view value) {
  std::u16string text(value);
  for (const auto& r : kUrlDecoding) ReplaceAll(text, r.pattern, r.text);
  return text;
}

std::u16string DecodeCookieSettings(std::u16string_view value) {
  std::u16string out;
  uint32_t bits = 0;
  int count = 0;
  for (char16_t c : value) {
    const int v = Base64Value(c);
    if (v == -2) continue;
    if (v < 0) break;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      if (out.size() < kMaxSettingsChars) out.push_back(static_cast<char16_t>((bits >> count) & 0xFF));
    }
  }
  return out;
}

std::optional<std::u16string> LookUpSetting(std::u16string_view settings, std::u16string_view key) {
  size_t i = 0;
  const size_t n = settings.size();
  while (i < n) {
    while (i < n && settings[i] == u'&') ++i;
    size_t end = settings.find(u'&', i);
    if (end == std::u16string_view::npos) end = n;
    std::vector<std::u16string_view> parts;
    for (size_t j = i; j < end;) {
      while (j < end && settings[j] == u'=') ++j;
      size_t k = j;
      while (k < end && settings[k] != u'=') ++k;
      if (k > j) parts.push_back(settings.substr(j, k - j));
      j = k;
    }
    for (size_t p = 0; p < parts.size(); p += 2) {
      if (parts[p] == key) return p + 1 < parts.size() ? std::u16string(parts[p + 1]) : u"";
    }
    i = end;
  }
  return std::nullopt;
}

bool ReadCookieFile(std::u16string_view path, std::u16string& value) {
  NS_File file;
  if (!file.Open(path, NS_File::modeRead | NS_File::shareDenyNone)) return false;
  uint64_t length = 0;
  if (!file.Length(length)) return false;
  std::string bytes(static_cast<size_t>(length), '\0');
  size_t done = 0;
  if (!file.Read(bytes.data(), bytes.size(), done)) return false;
  bytes.resize(done);

  std::vector<std::string_view> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) lf = bytes.size();
    if (lf > start) lines.emplace_back(bytes.data() + start, lf - start);
    start = lf + 1;
  }
  for (size_t r = 0; r < lines.size(); r += 9) {
    if (r + 8 >= lines.size()) return false;  // the file ends inside a record
    if (lines[r + 8].empty() || lines[r + 8][0] != '*') return false;
    if (AnsiToWide(lines[r]) == u"tavkvo") {
      value = UrlDecodeCookieValue(AnsiToWide(lines[r + 1]));
      return true;
    }
  }
  return false;
}

bool ReadCookieSource(SessionParameters& params) {
  const std::u16string folder = platform::WindowsPathOf(platform::CookiesFolder());
  platform::FindData found;
  if (!platform::FindFirstMatch(folder + u"\\*retroviaweb*", found)) return false;
  const std::u16string path = Format(u"%s\\%s", folder, found.name);

  std::u16string value;
  if (!ReadCookieFile(path, value)) return true;  // found, but nothing usable
  const std::u16string settings = DecodeCookieSettings(value);
  const auto server = LookUpSetting(settings, u"kvo_svr");
  const auto user = LookUpSetting(settings, u"kvo_usr");
  const auto password = LookUpSetting(settings, u"kvo_pwd");
  if (!server || !user || !password) return false;

  if (const auto lang = LookUpSetting(settings, u"lang")) ApplyLanguageCode(*lang, params.language_offset);
  params.server = *server;
  params.user = *user;
  params.password = *password;
  params.secret_key = *password;
  if (const auto fw = LookUpSetting(settings, u"FW_svr")) {
    params.firewall_enabled = true;
    params.firewall_server = *fw;
    if (const auto port = LookUpSetting(settings, u"FW_port")) params.firewall_port = LeadingNumber(*port);
    if (const auto socks = LookUpSetting(settings, u"FW_socks"))
      params.firewall_socks_version = socks->find(u'4') != std::u16string::npos ? 4 : 5;
  }
  platform::DeleteFileAt(path);
  return true;
}

std::u16string HandoffFilePath() {
  // The folder is taken whole: cutting a long folder name to 127 characters
  // would name some other file.
  return platform::WindowsPathOf(platform::WindowsDirectory()) + u"\\wbx.txt";
}

void ReadHandoffFile(std::u16string_view path, SessionParameters& params) {
  const std::string host = HostOf(path);
  auto text = [&](const char16_t* key) {
    return platform::GetProfileString(u"Retrovia", key, u"", kHandoffValueChars, host);
  };
  if (auto v = text(u"Language"); !v.empty()) ApplyLanguageCode(v, params.language_offset);
  if (auto v = text(u"Server"); !v.empty()) params.server = v;
  if (auto v = text(u"Port"); !v.empty()) params.port = LeadingNumber(v);
  if (auto v = text(u"User"); !v.empty()) params.user = v;
  if (auto v = text(u"Password"); !v.empty()) {
    params.password = v;
    params.secret_key = v;
  }
  if (platform::GetProfileInt(u"Retrovia", u"FW_Enable", 0, host) != 0) {
    if (platform::GetProfileInt(u"Retrovia", u"FW_SOCKS5", 0, host) != 0)
      params.firewall_socks_version = 5;
    if (auto v = text(u"FW_Server"); !v.empty()) params.firewall_server = v;
    if (auto v = text(u"FW_Port"); !v.empty()) params.firewall_port = LeadingNumber(v);
  }
  platform::DeleteFileAt(path);
}

uint8_t WriteHandoffFile(std::u16string_view settings, std::u16string_view path) {
  if (settings.size() > kMaxChkValsChars) settings = settings.substr(0, kMaxChkValsChars);
  static constexpr const char16_t* kKeys[] = {u"lng", u"svr", u"prt", u"usr", u"pwd"};
  std::array<std::u16string, 5> values;
  for (size_t k = 0; k < 5; ++k) {
    const size_t at = settings.find(kKeys[k]);
    if (at == std::u16string_view::npos) return 1;  // this and all later keys are missing
    const size_t eq = settings.find(u'=', at);
    if (eq == std::u16string_view::npos) return 1;
    const size_t semi = settings.find(u';', eq + 1);
    // A value without its ";" is taken to the end of the settings.
    values[k] = std::u16string(settings.substr(eq + 1, semi == std::u16string_view::npos
                                                           ? std::u16string_view::npos
                                                           : semi - eq - 1));
    if (values[k].size() > kMaxChkValsValueChars) values[k].resize(kMaxChkValsValueChars);
  }
  for (const auto& v : values)
    if (v.empty()) return 1;

  const std::u16string text = u"[Retrovia]\r\nLanguage=" + values[0] + u"\r\nServer=" +
                              values[1] + u"\r\nPort=" + values[2] + u"\r\nUser=" + values[3] +
                              u"\r\nPassword=" + values[4] + u"\r\n";
  const std::string bytes = WideToAnsi(text);
  platform::File file;
  // Owner-only: the file carries the password until the panel reads it.
  if (!file.Open(path, platform::kAccessWrite, platform::kCreateAlways, /*owner_only=*/true))
    return 1;
  const bool ok = file.Write(bytes.data(), bytes.size()) && file.Close();
  return ok ? 0 : 1;
}

GatherResult GatherSessionParameters(SessionParameters& params, ManualSettingsPrompt& prompt) {
  if (!ReadCookieSource(params)) {
    const std::u16string handoff = HandoffFilePath();
    platform::FindData data;
    if (platform::FindOne(handoff, data)) ReadHandoffFile(handoff, params);
  }
  if (params.user.empty()) {
    std::optional<ManualSettings> entered = prompt.Ask(params.language_offset);
    if (!entered) return GatherResult::kStop;
    params.server = entered->server;
    params.user = entered->user;
    params.password = entered->password;
    params.secret_key = entered->password;
  }
  return GatherResult::kGoOn;
}

}  // namespace bexa
