// The exception types of the system, one per area. Each is thrown by value and
// caught by reference; all derive from BexaError so that a catch-all of the
// system catches them together (a plain catch (...) catches them too).
#pragma once

#include <cstdint>
#include <string>

namespace bexa {

// Common base of the text-carrying exceptions. It owns a copy of its text.
class BexaError {
 public:
  BexaError() = default;
  explicit BexaError(std::u16string text) : text_(std::move(text)) {}
  virtual ~BexaError() = default;

  const std::u16string& Text() const { return text_; }

 private:
  std::u16string text_;
};

// Bad arguments of the file-system helpers ("Path cannot be empty", ...).
class FileSystemException : public BexaError {
 public:
  using BexaError::BexaError;
};

// The access-key challenge of the user authentication failed.
class DatabaseAuthAccessException : public BexaError {
 public:
  using BexaError::BexaError;
};

// The 64-bit process query failed; the text is "IsWow64Process".
class Wow64Exception : public BexaError {
 public:
  using BexaError::BexaError;
};

// Misuse of a crypto provider or of the settings: carries the integer 0 and
// nothing else.
class MisuseError : public BexaError {
 public:
  int Value() const { return 0; }
};

// The session layer's failure: a status code of the server conversation
// (101 no connection, 102 cancelled, 109 unexpected PDU, ...). Its message is
// shown through ReportError (session/status_messages.h).
class CBackupException : public BexaError {
 public:
  explicit CBackupException(uint32_t code) : code_(code) {}

  uint32_t Code() const { return code_; }

  // The exception's text form, the same for every code.
  static const char16_t* TextForm() { return u"XLAT-rework"; }

 private:
  uint32_t code_;
};

}  // namespace bexa
