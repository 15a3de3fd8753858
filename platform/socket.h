// TCP sockets with the WinSock error model: every failure is recorded as its
// WinSock code (ECONNRESET -> 10054, ETIMEDOUT -> 10060, ...), because the
// failure texts of the system are keyed by those codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bexa::platform {

// WinSock codes the system tests for.
enum : int {
  kWsaInterrupted = 10004,
  kWsaFault = 10014,
  kWsaInvalid = 10022,
  kWsaWouldBlock = 10035,
  kWsaInProgress = 10036,
  kWsaAlready = 10037,
  kWsaNotSocket = 10038,
  kWsaMessageSize = 10040,
  kWsaOpNotSupported = 10045,
  kWsaAddressInUse = 10048,
  kWsaAddressNotAvailable = 10049,
  kWsaNetworkDown = 10050,
  kWsaNetworkUnreachable = 10051,
  kWsaNetworkReset = 10052,
  kWsaConnectionAborted = 10053,
  kWsaConnectionReset = 10054,
  kWsaNoBuffers = 10055,
  kWsaIsConnected = 10056,
  kWsaNotConnected = 10057,
  kWsaShutdown = 10058,
  kWsaTimedOut = 10060,
  kWsaConnectionRefused = 10061,
  kWsaHostDown = 10064,
  kWsaHostUnreachable = 10065,
  kWsaNotInitialised = 10093,
  kWsaHostNotFound = 11001,
  kWsaTryAgain = 11002,
  kWsaNoRecovery = 11003,
  kWsaNoData = 11004,
};

// The WinSock code of an errno value of a socket call. `blocking` tells that
// the call was made on a blocking socket, where EAGAIN means that the
// socket's time-out expired (10060) rather than "would block" (10035).
int WsaErrorFromErrno(int err, bool blocking = false);

// WSAStartup and WSACleanup: nothing to set up on this platform; kept so
// that the callers' life cycle reads the same.
bool StartSockets();
void StopSockets();

// inet_addr: the IPv4 address of a dotted text in network order; false when
// the text is not one (as inet_addr, "255.255.255.255" counts as not one).
bool ParseDottedAddress(const std::string& text, uint32_t& address);

// gethostbyname: the first IPv4 address of a host name as dotted text.
// On failure `error` is the WinSock resolution code (11001 ...).
bool ResolveHostName(const std::string& name, std::string& dotted, int& error);

// One TCP stream socket. Not copyable; closing is idempotent. Calls on one
// socket from two threads are allowed as the OS allows them (one sender and
// one receiver; Shutdown from any thread wakes a blocked receive).
class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket();
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  bool IsValid() const { return fd_ >= 0; }
  // WinSock code of the last failed call on this socket (0 when none).
  int LastError() const { return last_error_; }

  // socket(AF_INET, SOCK_STREAM, 0).
  bool Create();
  // Connects to an IPv4 address (network order) and port (host order).
  // timeout_ms 0 waits as long as the OS does.
  bool Connect(uint32_t address, uint16_t port, uint32_t timeout_ms = 0);
  // SO_SNDTIMEO and SO_RCVTIMEO in milliseconds (0: no limit).
  bool SetTimeouts(uint32_t send_ms, uint32_t receive_ms);
  // TCP_NODELAY: a small PDU goes out at once instead of waiting for the
  // peer's delayed acknowledgement of the previous segment.
  bool SetNoDelay(bool on);

  // One send call; the number of bytes taken, or -1.
  long Send(const void* data, size_t size);
  // One recv call: >0 bytes, 0 when the peer closed the stream, -1 on
  // failure. non_blocking makes this one call return -1 with 10035 when
  // nothing is waiting.
  long Receive(void* data, size_t size, bool non_blocking = false);
  // recv with MSG_PEEK, never blocking: bytes waiting (copied, not taken).
  long Peek(void* data, size_t size);
  // True when a receive would not block (data, end of stream or error)
  // within timeout_ms.
  bool WaitReadable(uint32_t timeout_ms);

  // shutdown(SHUT_RDWR); the descriptor stays open.
  void Shutdown();
  void Close();

  // Listening side, for the reference server and tests: bind to an IPv4
  // address (network order; 0 = any) and port (0 = any free one).
  bool Listen(uint32_t address, uint16_t port, int backlog = 16);
  bool Accept(TcpSocket& client);
  // The bound local port (host order), 0 when unknown.
  uint16_t LocalPort() const;

 private:
  bool Fail(int err, bool blocking = false);

  int fd_ = -1;
  int last_error_ = 0;
};

// 127.0.0.1 in network order.
uint32_t LoopbackAddress();

}  // namespace bexa::platform
