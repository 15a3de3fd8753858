#include "apps/restore_cli/console_ui.h"

#include <iostream>

#include "platform/console.h"
#include "session/status_messages.h"
#include "util/dates.h"
#include "util/text.h"

namespace bexa::cli {
namespace {

std::string U8(std::u16string_view s) { return WideToUtf8(s); }

}  // namespace

ConsoleUi::ConsoleUi(const Options& options, SessionTexts& texts, DestinationChoice destination)
    : options_(options), texts_(texts), destination_(std::move(destination)) {}

void ConsoleUi::ClearProgressLine() {
  if (progress_line_) {
    std::cerr << "\r\033[K" << std::flush;
    progress_line_ = false;
  }
}

void ConsoleUi::ProgressOpen(int64_t total_files) {
  total_ = total_files;
  done_ = 0;
}

void ConsoleUi::ProgressFileLine(const std::u16string& text) {
  current_ = text;
  if (!options_.progress) return;
  const int width = 24;
  const int filled = total_ > 0 ? static_cast<int>(done_ * width / total_) : 0;
  std::string line = "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] ";
  std::string what = U8(text);
  if (what.size() > 90) what = "..." + what.substr(what.size() - 87);
  ClearProgressLine();
  std::cerr << line << what << std::flush;
  progress_line_ = true;
}

void ConsoleUi::ProgressAdvance() { ++done_; }

void ConsoleUi::ProgressClose() { ClearProgressLine(); }

void ConsoleUi::PanelStatus(const std::u16string&) {}

std::optional<std::u16string> ConsoleUi::AskSecretKey(const std::u16string& hint) {
  return AskSecretKey(std::u16string_view(hint));
}

std::optional<std::u16string> ConsoleUi::AskSecretKey(std::u16string_view hint) {
  ClearProgressLine();
  // A key given on the command line is offered once; after that, and
  // without one, only a person at a terminal can answer.
  if (options_.secret_key && !secret_key_offered_) {
    secret_key_offered_ = true;
    return Utf8ToWide(*options_.secret_key);
  }
  if (!platform::StdinIsTerminal()) {
    std::cerr << "bexa-restore: the server needs another secret key (hint: " << U8(hint)
              << "); give it with --secret-key\n";
    return std::nullopt;
  }
  std::cerr << U8(Format(std::u16string(texts_.Get(1168)), hint)) << "\n";
  std::string line;
  if (!platform::ReadSecretLine(U8(texts_.Get(1169)) + " ", line)) return std::nullopt;
  return Utf8ToWide(line);
}

void ConsoleUi::Message(const std::u16string& text, StatusIcon) {
  ClearProgressLine();
  std::cerr << "bexa-restore: " << U8(text) << "\n";
}

void ConsoleUi::ReportError(const CBackupException& e) {
  ClearProgressLine();
  if (e.Code() == 102) {
    std::cerr << "bexa-restore: " << U8(texts_.Get(1078)) << "\n";
    return;
  }
  const int id = TextNumberOfMessage(MessageNumberOf(e.Code()) ? MessageNumberOf(e.Code()) : 510);
  std::cerr << "bexa-restore: " << U8(texts_.Get(id)) << " (status " << e.Code() << ")\n";
}

void ConsoleUi::ShowStatus(const std::u16string& text, StatusIcon, const std::u16string& details,
                           bool) {
  ClearProgressLine();
  final_message_ = text;
  if (!details.empty()) std::cout << U8(details);
  std::cout << U8(text) << "\n" << std::flush;
}

int32_t ConsoleUi::Ask(const std::u16string& path, int64_t existing_size,
                       const DateTime& existing_write, int64_t new_size, const DateTime& new_write,
                       int32_t&) {
  switch (options_.overwrite) {
    case Overwrite::kYesAll: return kYesToAll;
    case Overwrite::kNoAll: return kNoToAll;
    case Overwrite::kUnique: return kUniqueName;
    case Overwrite::kUniqueAll: return kUniqueNameAll;
    case Overwrite::kAsk: break;
  }
  if (!platform::StdinIsTerminal()) return kNo;
  ClearProgressLine();
  std::cerr << U8(path) << " exists (" << existing_size << " bytes, "
            << U8(ShortDateTimeText(existing_write, false)) << ").\nReplace it with the backup copy ("
            << new_size << " bytes, " << U8(ShortDateTimeText(new_write, false)) << ")?\n";
  for (;;) {
    std::string line;
    if (!platform::ReadLine("[y]es, [n]o, [a]ll yes, n[o]ne, [u]nique name, unique names for all [U]: ",
                            line))
      return kNo;
    if (line == "y") return kYes;
    if (line == "n" || line.empty()) return kNo;
    if (line == "a") return kYesToAll;
    if (line == "o") return kNoToAll;
    if (line == "u") return kUniqueName;
    if (line == "U") return kUniqueNameAll;
  }
}

}  // namespace bexa::cli
