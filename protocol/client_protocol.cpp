#include "protocol/client_protocol.h"

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_format.h"
#include "protocol/settings.h"

namespace bexa::protocol {

ClientProtocol::ClientProtocol(const ConnectionOptions& options) : ProtocolConnection(options) {
  long long capacity = options.upload_cache != ConnectionOptions::kFromSettings
                           ? options.upload_cache
                           : Settings().client_socket_upload_cache.Value();
  if (capacity < 0) capacity = 0;
  cache_.Allocate(static_cast<size_t>(capacity));
  worker_ = std::thread([this] { WorkerLoop(); });
}

ClientProtocol::~ClientProtocol() {
  // A receive blocked in recv holds the exchange lock; shutting the socket
  // down makes it return, so the worker can see the stop event.
  socket().Shutdown();
  stop_.Set();
  if (worker_.joinable()) worker_.join();
}

void ClientProtocol::WorkerLoop() {
  for (;;) {
    int which = platform::Event::WaitAny({&stop_, &request_});
    if (which != 1) return;
    int type = 0;
    int status = Receive(type);
    worker_type_ = type;
    worker_status_ = status;
    done_.Set();
  }
}

int ClientProtocol::WaitReceive(int& type, uint32_t timeout_ms) {
  if (!pending_) {
    // A PDU whose header is already waiting is taken on this thread: handing
    // it to the worker costs two thread switches, which on a run of small
    // files is much of each file's time. The rest of such a PDU is on its way.
    uint8_t header[kFrameHeaderSize];
    if (socket().Peek(header, sizeof header) == static_cast<long>(sizeof header)) {
      const int status = Receive(type);
      if (status == kStatusOk) SetLastSocketError(0);
      return status;
    }
    request_.Set();
    pending_ = true;
  }
  if (!done_.Wait(timeout_ms)) {
    type = 0;
    return kStatusPending;
  }
  pending_ = false;
  type = worker_type_;
  if (worker_status_ == kStatusOk) SetLastSocketError(0);
  return worker_status_;
}

int ClientProtocol::Receive(int& type) {
  std::lock_guard<std::recursive_mutex> lock(exchange_);
  return ProtocolConnection::Receive(type);
}

int ClientProtocol::SendPdu(int type) {
  std::lock_guard<std::recursive_mutex> lock(exchange_);
  return ProtocolConnection::SendPdu(type);
}

int ClientProtocol::SendFileData(bool last, const uint8_t* data, size_t size) {
  std::lock_guard<std::recursive_mutex> lock(exchange_);
  if (cache_.Size() > 0 && (last || cache_.Room() < size)) {
    int status = ProtocolConnection::SendFileData(false, cache_.Content().data(), cache_.Size());
    cache_.Reset();
    if (status != kStatusOk) return status;
  }
  if (!last && size < cache_.capacity()) {
    if (size > cache_.Room()) return kStatusShortSend;
    cache_.Append(data, size);
    return kStatusOk;
  }
  return ProtocolConnection::SendFileData(last, data, size);
}

}  // namespace bexa::protocol
