#include "security/security_package_client.h"

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"

namespace bexa {
namespace {

// AUTH message codes.
constexpr int32_t kFirstToken = 0;
constexpr int32_t kFurtherToken = 1;
constexpr int32_t kServerToken = 2;
constexpr int32_t kGranted = 3;
constexpr int32_t kDenied = 4;
constexpr int32_t kAbortReasonAuthentication = 4;

}  // namespace

SecurityPackageClient::SecurityPackageClient(LogonLink& link, int32_t auth_type)
    : link_(link), auth_type_(auth_type) {}

SecurityPackageClient::~SecurityPackageClient() {
  context_.reset();
  credentials_.reset();
  table_.reset();
}

int SecurityPackageClient::Initialize() {
  return platform::LoadSecurityInterface(table_);
}

int SecurityPackageClient::Authenticate(const std::u16string& user, const std::u16string& password,
                                        const std::u16string& domain, bool& granted) {
  granted = false;
  user_ = user;
  password_ = password;
  domain_ = domain;
  platform::SecurityIdentity identity{user_, password_, domain_, auth_type_ == 1};
  if (!identity.with_domain) identity.domain.clear();
  const char16_t* package = auth_type_ == 5 ? u"Kerberos" : u"NTLM";
  if (!table_ || platform::SecurityFailed(table_->AcquireCredentials(package, identity, credentials_)) ||
      !credentials_) {
    credentials_.reset();
    return kNoCredentials;
  }
  const int result = ExchangeTokens(granted);
  credentials_.reset();
  if (result != kOk) context_.reset();
  return result;
}

int SecurityPackageClient::ExchangeTokens(bool& granted) {
  protocol::ProtocolConnection& connection = link_.Connection();
  std::vector<uint8_t> server_token;
  bool first = true;
  for (;;) {
    std::vector<uint8_t> token;
    uint32_t status = table_->InitializeContext(*credentials_, context_,
                                                first ? nullptr : &server_token, kTokenCapacity,
                                                token);
    if (platform::SecurityFailed(status)) {
      connection.SendAbort(kAbortReasonAuthentication);
      return status == platform::kSecNoCredentials ? kNoCredentialsForContext : kContextFailed;
    }
    if (status == platform::kSecCompleteNeeded || status == platform::kSecCompleteAndContinue) {
      if (!table_->HasCompleteAuthToken()) return kNoCompleteAuthToken;
      if (!context_ || platform::SecurityFailed(table_->CompleteAuthToken(*context_, token)))
        return kContextFailed;
    }
    if (connection.SendAuthenticationMessage(first ? kFirstToken : kFurtherToken, token.data(),
                                             token.size()) != protocol::kStatusOk)
      return kSendFailed;
    first = false;

    const int type = link_.WaitForPdu(false);
    if (type == LogonLink::kNoPdu) return kReceiveFailed;
    if (type == protocol::kPduAbrt) return kExchangeFailed;
    if (type != protocol::kPduAuth) return kUnexpectedPdu;
    const int32_t code = connection.values().Int(protocol::tag::kMessageCode);
    if (code == kServerToken) {
      server_token = connection.values().Bytes(protocol::tag::kMessageData);
      continue;
    }
    if (code == kGranted) {
      granted = true;
      return kOk;
    }
    if (code == kDenied) return kOk;
    return kExchangeFailed;
  }
}

}  // namespace bexa
