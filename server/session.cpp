#include "server/session.h"

#include <exception>

#include "platform/codepage.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_codec.h"
#include "protocol/pdu_format.h"

namespace bexa::server {

using namespace protocol;

Session::Session(int id, FrameSocket& socket, std::filesystem::path store_dir,
                 const SessionOptions& options, PduLog& log)
    : id_(id), socket_(socket), store_dir_(std::move(store_dir)), options_(options), log_(log) {}

void Session::Run() {
  try {
    // The configuration is read afresh for every connection, so that a test
    // can change accounts and faults between two logons.
    store_ = Store::Open(store_dir_);
    faults_ = store_.faults;
    if (Logon()) Serve();
  } catch (const std::exception& e) {
    Event(std::string("failure: ") + e.what());
  } catch (...) {
    Event("failure: unknown exception");
  }
}

void Session::Event(const std::string& text) { log_.Event(id_, text); }

bool Session::Send(int type) {
  PduChain frame;
  if (!PduCodec::Encode(type, out_, version_, frame)) {
    Event("cannot encode " + platform::WideToUtf8(PduCode(type)));
    out_.Clear();
    return false;
  }
  if (!faults_.trailing_byte_pdu.empty() &&
      platform::WideToUtf8(PduCode(type)) == faults_.trailing_byte_pdu && type != kPduFdta) {
    // One byte after the end of contents, counted in the header.
    // In the last buffer when it has room, so the cipher grid stays the same.
    if (frame.Back().Room() > 0) {
      frame.Back().AppendByte(0);
    } else {
      PduBuffer extra;
      extra.Allocate(1);
      extra.AppendByte(0);
      frame.Append(std::move(extra));
    }
    uint8_t* header = frame.Buffer(0).data() + frame.Buffer(0).read_pos();
    const uint32_t length = (uint32_t(header[4]) << 24 | uint32_t(header[5]) << 16 |
                             uint32_t(header[6]) << 8 | header[7]) + 1;
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
  }
  log_.Pdu(id_, false, type, out_, version_);
  const FrameStatus s = socket_.Send(frame, type == kPduFdta ? out_.OutgoingPayload()
                                                             : std::span<const uint8_t>{},
                                     options_.timeout_ms);
  out_.Clear();
  out_.SetOutgoingPayload(nullptr, 0);
  if (s != FrameStatus::kOk) {
    Event(std::string("send failed: ") + FrameStatusText(s));
    return false;
  }
  return true;
}

bool Session::SendFileData(bool last, std::span<const uint8_t> payload) {
  out_.SetInt(tag::kLastBlock, last ? 1 : 0);
  out_.SetInt(tag::kFileDataZero, 0);
  out_.SetOutgoingPayload(payload.data(), payload.size());
  return Send(kPduFdta);
}

int Session::Receive() {
  for (;;) {
    PduChain body;
    const FrameStatus s = socket_.Receive(body, options_.timeout_ms);
    if (s != FrameStatus::kOk) {
      Event(std::string("receive failed: ") + FrameStatusText(s));
      return 0;
    }
    int type = 0;
    if (!PduCodec::Decode(body, version_, in_, type)) {
      Event("receive failed: decode error (type " + std::to_string(type) + ")");
      return 0;
    }
    log_.Pdu(id_, true, type, in_, version_);
    // The client's heartbeat thread may slip a Heartbeat into any wait.
    if (type != kPduHtbt) return type;
  }
}

void Session::DrainUntilClosed() {
  for (;;) {
    const int type = Receive();
    if (type == 0 || type == kPduQuit) return;
  }
}

}  // namespace bexa::server
