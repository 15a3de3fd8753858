// The account's connection values and where they come from: the browser
// cookie "tavkvo", the handoff file "wbx.txt" that ChkVals writes, or the
// Manual Settings dialog. Gathered once when the panel initialises.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "session/parameters.h"

namespace bexa {

// Sets the language offset by the first code found in the upper-cased value
// ("ENG", "ESP", "CAT", "EUQ", "GLL" in this order); a value holding none of
// them changes nothing. Returns whether a code was found.
bool ApplyLanguageCode(std::u16string_view value, int32_t& language_offset);

// The cookie value's URL decoding: fixed replacements run one after the
// other over the whole text, so an earlier one can feed a later one.
std::u16string UrlDecodeCookieValue(std::u16string_view value);

// Base64 of the cookie value: "=" skipped anywhere, any other character
// outside the alphabet ends the decoding, at most 259 characters kept.
std::u16string DecodeCookieSettings(std::u16string_view value);

// The value of a key in a settings text "k=v&k=v": items split at "&",
// parts at "=", runs of separators as one; the first exact match wins; a key
// without a following part gives the empty text.
std::optional<std::u16string> LookUpSetting(std::u16string_view settings, std::u16string_view key);

// Reads a cookie file of nine-line records: the URL-decoded value of the
// record named "tavkvo". False when the file cannot be read, holds no such
// record, or a record before it (or it) does not end with a "*" line.
bool ReadCookieFile(std::u16string_view path, std::u16string& value);

// The cookie source. Returns false ("not found") when there is no cookie
// file or its settings lack kvo_svr, kvo_usr or kvo_pwd. A cookie file that
// cannot be read reports "found" without setting anything. The cookie file
// is deleted only after a complete read.
bool ReadCookieSource(SessionParameters& params);

// The handoff file: the Windows directory followed by "\wbx.txt".
std::u16string HandoffFilePath();

// Reads the handoff file into the parameters and deletes it.
void ReadHandoffFile(std::u16string_view path, SessionParameters& params);

// ChkVals: finds lng, svr, prt, usr and pwd in "key=value;" settings and
// writes the handoff file (readable by its owner only). Returns 0 when all
// five were found and the file written, 1 otherwise (nothing written).
uint8_t WriteHandoffFile(std::u16string_view settings, std::u16string_view path);

// The three values of the Manual Settings dialog.
struct ManualSettings {
  std::u16string user, password, server;
};

// Shows the Manual Settings dialog: the values on OK, nothing on Cancel.
class ManualSettingsPrompt {
 public:
  virtual ~ManualSettingsPrompt() = default;
  virtual std::optional<ManualSettings> Ask(int32_t language_offset) = 0;
};

enum class GatherResult { kGoOn, kStop };

// The gathering: the cookie first, else the handoff file, else (while the
// user is empty) the Manual Settings dialog. kStop when the dialog was
// cancelled; the panel then shows text 1125.
GatherResult GatherSessionParameters(SessionParameters& params, ManualSettingsPrompt& prompt);

}  // namespace bexa
