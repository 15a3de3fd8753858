#include "protocol/socket_errors.h"

#include "util/text.h"

namespace bexa::protocol {
namespace {

struct ErrorText {
  int code;
  const char16_t* text;
};

constexpr ErrorText kTexts[] = {
    {10004, u"The (blocking) call was canceled through WSACancelBlockingCall"},
    {10014, u"The buf parameter is not completely contained in a valid part of the user address space"},
    {10022, u"The socket has not been bound with bind"},
    {10035, u"The socket is marked as nonblocking and the receive operation would block"},
    {10036, u"A blocking Windows Sockets 1.1 call is in progress"},
    {10038, u"The descriptor is not a socket"},
    {10040, u"The message was too large to fit into the specified buffer"},
    {10045, u"MSG_OOB was given, but the socket is not stream-style such as type SOCK_STREAM"},
    {10050, u"The network subsystem has failed"},
    {10052, u"The connection has been broken due to the keep-alive activity"},
    {10053, u"The virtual circuit was terminated due to a time-out or other failure"},
    {10054, u"The virtual circuit was reset by the remote side executing a hard or abortive close"},
    {10057, u"The socket is not connected"},
    {10058, u"The socket has been shut down"},
    {10060, u"The connection has been dropped because of a network failure or because the peer system failed to respond"},
    {10093, u"A successful WSAStartup call must occur before using this function"},
};

}  // namespace

std::u16string SocketErrorText(int code) {
  for (const ErrorText& e : kTexts) {
    if (e.code == code) return e.text;
  }
  return Format(u"WinSock Error: %d", code);
}

}  // namespace bexa::protocol
