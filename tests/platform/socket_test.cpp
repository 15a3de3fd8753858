#include "platform/socket.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace bexa::platform {
namespace {

TEST(Socket, ErrnoBecomesItsWinSockCode) {
  struct Case {
    int err;
    bool blocking;
    int code;
  } cases[] = {
      {ECONNRESET, false, 10054}, {EPIPE, false, 10054},     {ETIMEDOUT, false, 10060},
      {ENOTCONN, false, 10057},   {ECONNREFUSED, false, 10061}, {EAGAIN, false, 10035},
      {EAGAIN, true, 10060},      {EINTR, false, 10004},     {ENOTSOCK, false, 10038},
      {EBADF, false, 10038},      {ESHUTDOWN, false, 10058}, {ENETDOWN, false, 10050},
      {ECONNABORTED, false, 10053}, {EHOSTUNREACH, false, 10065}, {EADDRINUSE, false, 10048},
  };
  for (const Case& c : cases) EXPECT_EQ(WsaErrorFromErrno(c.err, c.blocking), c.code) << c.err;
}

TEST(Socket, DottedAddressesAndNames) {
  uint32_t a;
  EXPECT_TRUE(ParseDottedAddress("127.0.0.1", a));
  EXPECT_EQ(a, LoopbackAddress());
  EXPECT_FALSE(ParseDottedAddress("localhost", a));
  EXPECT_FALSE(ParseDottedAddress("user@127.0.0.1", a));
  std::string dotted;
  int error;
  EXPECT_TRUE(ResolveHostName("localhost", dotted, error));
  EXPECT_EQ(dotted, "127.0.0.1");
  EXPECT_FALSE(ResolveHostName("", dotted, error));
  EXPECT_EQ(error, kWsaHostNotFound);
}

TEST(Socket, LoopbackSendReceivePeekAndClose) {
  TcpSocket listener;
  ASSERT_TRUE(listener.Listen(LoopbackAddress(), 0));
  TcpSocket client, server;
  ASSERT_TRUE(client.Create());
  ASSERT_TRUE(client.Connect(LoopbackAddress(), listener.LocalPort(), 5000));
  ASSERT_TRUE(listener.Accept(server));
  EXPECT_TRUE(client.SetNoDelay(true));
  EXPECT_TRUE(client.SetTimeouts(300000, 300000));

  char buf[8];
  EXPECT_EQ(server.Receive(buf, sizeof buf, true), -1);
  EXPECT_EQ(server.LastError(), kWsaWouldBlock);
  EXPECT_FALSE(server.WaitReadable(0));
  ASSERT_EQ(client.Send("abc", 3), 3);
  ASSERT_TRUE(server.WaitReadable(5000));
  EXPECT_EQ(server.Peek(buf, sizeof buf), 3);
  EXPECT_EQ(server.Receive(buf, sizeof buf), 3);
  client.Close();
  EXPECT_EQ(server.Receive(buf, sizeof buf), 0);
  // Sending into a closed stream fails with the reset code, without a signal.
  long sent = 0;
  for (int i = 0; i < 100 && sent >= 0; ++i) sent = server.Send("x", 1);
  EXPECT_EQ(sent, -1);
  EXPECT_EQ(server.LastError(), kWsaConnectionReset);
}

TEST(Socket, ReceiveTimeOutIsWinSockTimedOut) {
  TcpSocket listener;
  ASSERT_TRUE(listener.Listen(LoopbackAddress(), 0));
  TcpSocket client, server;
  ASSERT_TRUE(client.Create());
  ASSERT_TRUE(client.Connect(LoopbackAddress(), listener.LocalPort()));
  ASSERT_TRUE(listener.Accept(server));
  ASSERT_TRUE(client.SetTimeouts(50, 50));
  char c;
  EXPECT_EQ(client.Receive(&c, 1), -1);
  EXPECT_EQ(client.LastError(), kWsaTimedOut);
}

}  // namespace
}  // namespace bexa::platform
