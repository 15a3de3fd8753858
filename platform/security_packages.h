// The operating system's security support: the library that offers the
// packages "NTLM" and "Kerberos" and its function table (credentials
// handles, security contexts, authentication tokens).
//
// This platform has no security support library, so loading the table
// fails unless a test or a front end installs a loader of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bexa::platform {

// Status values of the security calls, as the Windows interface has them.
inline constexpr uint32_t kSecOk = 0;
inline constexpr uint32_t kSecContinueNeeded = 0x00090312;
inline constexpr uint32_t kSecCompleteNeeded = 0x00090313;
inline constexpr uint32_t kSecCompleteAndContinue = 0x00090314;
inline constexpr uint32_t kSecNoCredentials = 0x8009030E;
inline constexpr uint32_t kSecInternalError = 0x80090304;

// True for the failure statuses (the top bit set).
inline bool SecurityFailed(uint32_t status) { return (status & 0x80000000u) != 0; }

// The identity handed to the credentials: wide-character strings; the
// domain only when with_domain is set.
struct SecurityIdentity {
  std::u16string user;
  std::u16string password;
  std::u16string domain;
  bool with_domain = false;
};

// An outbound credentials handle; destroying it frees the handle.
class SecurityCredentials {
 public:
  virtual ~SecurityCredentials() = default;
};

// A security context; destroying it deletes the context.
class SecurityContext {
 public:
  virtual ~SecurityContext() = default;
};

// The function table of the security library.
class SecurityInterface {
 public:
  virtual ~SecurityInterface() = default;
  // AcquireCredentialsHandleW for outbound use of `package`.
  virtual uint32_t AcquireCredentials(std::u16string_view package,
                                      const SecurityIdentity& identity,
                                      std::unique_ptr<SecurityCredentials>& credentials) = 0;
  // InitializeSecurityContextW without context requirements, native data
  // representation. `context` is empty on the first call and receives the
  // new context; `input` is the server's token (nullptr the first time);
  // `output` receives one token of at most `output_capacity` bytes.
  virtual uint32_t InitializeContext(SecurityCredentials& credentials,
                                     std::unique_ptr<SecurityContext>& context,
                                     const std::vector<uint8_t>* input, size_t output_capacity,
                                     std::vector<uint8_t>& output) = 0;
  // Whether the table offers CompleteAuthToken.
  virtual bool HasCompleteAuthToken() const = 0;
  virtual uint32_t CompleteAuthToken(SecurityContext& context, std::vector<uint8_t>& token) = 0;
};

// Results of loading the table.
enum SecurityLoadResult : int {
  kSecurityLoaded = 0,
  kSecurityNoLibrary = 1,    // unsupported platform, or the library did not load
  kSecurityNoInterface = 2,  // no "InitSecurityInterfaceW", or it gave no table
};

// Loads the security library of this system and its table. Here: no
// library, so kSecurityNoLibrary, unless a loader is installed.
int LoadSecurityInterface(std::unique_ptr<SecurityInterface>& table);

using SecurityInterfaceLoader = std::function<int(std::unique_ptr<SecurityInterface>& table)>;

// Installs a loader (an empty one restores the default); returns the
// previous one. For tests and front ends; not thread-safe against a load
// in progress.
SecurityInterfaceLoader SetSecurityInterfaceLoader(SecurityInterfaceLoader loader);

}  // namespace bexa::platform
