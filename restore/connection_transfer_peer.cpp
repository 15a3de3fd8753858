#include "restore/connection_transfer_peer.h"

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"

namespace bexa {

ConnectionTransferPeer::ConnectionTransferPeer(protocol::ClientProtocol& connection)
    : connection_(connection) {}

bool ConnectionTransferPeer::NextSegment(DataBlock& block, bool& last) {
  while (pending_ && next_segment_ < pending_->BufferCount()) {
    auto content = pending_->Buffer(next_segment_++).Content();
    if (content.empty()) continue;
    // Aliasing owner: the block keeps the whole chain alive.
    block.owner = std::shared_ptr<void>(pending_, content.data());
    block.data = content.data();
    block.size = content.size();
    bool more = false;
    for (size_t i = next_segment_; i < pending_->BufferCount(); ++i)
      more = more || pending_->Buffer(i).Size() > 0;
    last = pending_last_ && !more;
    if (!more) pending_.reset();
    return true;
  }
  pending_.reset();
  return false;
}

TransferPeer::Received ConnectionTransferPeer::Next(DataBlock& block, bool& last,
                                                    std::u16string& verify_text,
                                                    uint32_t& verify_crc) {
  block = DataBlock{};
  last = false;
  if (NextSegment(block, last)) return Received::kFileData;

  int type = 0;
  const int status = connection_.Receive(type);
  if (status == protocol::kStatusDecodeError) return Received::kProtocolError;
  if (status != protocol::kStatusOk) return Received::kFailed;
  protocol::PduValues& values = connection_.values();
  if (type == protocol::kPduFdta) {
    pending_last_ = values.Int(protocol::tag::kLastBlock) != 0;
    pending_ = std::make_shared<protocol::PduChain>(values.ReceivedPayload().Release());
    next_segment_ = 0;
    if (!NextSegment(block, last)) last = pending_last_;
    return Received::kFileData;
  }
  if (type == protocol::kPduVerr) {
    verify_text = values.Text(protocol::tag::kFilePath);
    verify_crc = static_cast<uint32_t>(values.Int(protocol::tag::kVerifyCrc));
    return Received::kVerify;
  }
  return Received::kOther;
}

void ConnectionTransferPeer::SendAbort(int32_t reason) { connection_.SendAbort(reason); }

void ConnectionTransferPeer::SendVerifyResponse(int32_t status) {
  connection_.SendFileVerifyResponse(status, 0, 0, u"");
}

}  // namespace bexa
