// The connection as the session uses it: the exchange lock around every send
// and blocking receive, the receive worker behind the asynchronous receive,
// the upload cache of file data, and the logged-on flag.
#pragma once

#include <mutex>
#include <thread>

#include "platform/sync.h"
#include "protocol/protocol_connection.h"

namespace bexa::protocol {

class ClientProtocol : public ProtocolConnection {
 public:
  // Starts the receive worker. Allocates the upload cache
  // ("UploadCache" of "ClientSocket").
  explicit ClientProtocol(const ConnectionOptions& options = {});
  // Wakes a receive in progress (the socket is shut down), stops the worker
  // and waits for it.
  ~ClientProtocol() override;

  // Payloads smaller than the cache are gathered and sent as one File data
  // PDU with last = 0; the last block flushes the cache first.
  int SendFileData(bool last, const uint8_t* data, size_t size) override;
  int Receive(int& type) override;
  int SendPdu(int type) override;

  // Never blocks for long: a PDU whose header has arrived is received at
  // once; otherwise asks the worker for a receive when none is pending, then
  // reports kStatusPending (type 0) while it waits, or its status and type.
  // A successful receive sets the last socket error to 0.
  int PollReceive(int& type) { return WaitReceive(type, 0); }
  // As PollReceive, but waits up to timeout_ms for the worker's answer.
  int WaitReceive(int& type, uint32_t timeout_ms);

  bool logged_on() const { return logged_on_; }
  void set_logged_on(bool on) { logged_on_ = on; }

  size_t upload_cache_capacity() const { return cache_.capacity(); }
  size_t upload_cache_size() const { return cache_.Size(); }

 protected:
  void LockExchange() override { exchange_.lock(); }
  void UnlockExchange() override { exchange_.unlock(); }

 private:
  void WorkerLoop();

  // Recursive: a send operation holds it while filling the values and again
  // inside Send PDU.
  std::recursive_mutex exchange_;

  platform::Event stop_{true, false};
  platform::Event request_{false, false};
  platform::Event done_{false, false};
  // Written by the worker before it sets done_, read by PollReceive after
  // done_ was seen; the events order the accesses.
  int worker_type_ = 0;
  int worker_status_ = 0;
  bool pending_ = false;  // used by the polling thread only

  PduBuffer cache_;  // guarded by exchange_
  bool logged_on_ = false;
  std::thread worker_;
};

}  // namespace bexa::protocol
