// The PDU log of the server: one line per PDU received or sent and per
// connection event, so that a test can assert what the client did.
//
// Line forms (fields separated by one space, the line ends with "\n"):
//   <conn> recv <CODE> <fields>     a PDU the client sent
//   <conn> send <CODE> <fields>     a PDU the server sent
//   <conn> event <text>             open, close and failures
// <conn> is the connection's number (1, 2, ... in accept order). <fields>
// lists every field of the PDU in wire order as tag=value: numbers in
// decimal, texts in double quotes as UTF-8 (a quote inside is written \",
// line breaks \n and \r; backslashes stay as they are), text lists as
// [..], record lists as [{..} {..}], bytes as <N bytes>; a File data PDU ends
// with payload=<bytes>. Example:
//   3 recv USRR 6="ann" 7="" 38="WORKGRP\PC1"
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "protocol/pdu_values.h"

namespace bexa::server {

// The fields of a PDU of `type` held in `values`, as the log writes them
// (empty for a PDU without fields). `version` is the text the PDU was coded
// with (it decides which gated fields exist).
std::string FormatPduFields(int type, const protocol::PduValues& values,
                            std::u16string_view version);

// A log file shared by all connections; every line is written whole and
// flushed at once, so a reader sees complete lines while the server runs.
class PduLog {
 public:
  // An empty path makes a log that writes nothing.
  explicit PduLog(const std::string& path);
  ~PduLog();
  PduLog(const PduLog&) = delete;
  PduLog& operator=(const PduLog&) = delete;

  bool enabled() const { return file_ != nullptr; }
  void Pdu(int connection, bool received, int type, const protocol::PduValues& values,
           std::u16string_view version);
  void Event(int connection, std::string_view text);

 private:
  void Line(const std::string& line);

  std::mutex mutex_;
  std::FILE* file_ = nullptr;  // guarded by mutex_
};

}  // namespace bexa::server
