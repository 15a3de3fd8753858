#include "platform/sync.h"

#include <gtest/gtest.h>

#include <thread>

namespace bexa::platform {
namespace {

TEST(Event, ManualStaysSetAutoIsConsumed) {
  Event manual(true), automatic(false);
  manual.Set();
  automatic.Set();
  EXPECT_TRUE(manual.Wait(0));
  EXPECT_TRUE(manual.Wait(0));
  EXPECT_TRUE(automatic.Wait(0));
  EXPECT_FALSE(automatic.Wait(0));
  manual.Reset();
  EXPECT_FALSE(manual.Wait(10));
}

TEST(Event, WaitAnyReportsTheSetOneOrTimeout) {
  Event a(false), b(false), c(true);
  EXPECT_EQ(Event::WaitAny({&a, &b, &c}, 5), -1);
  std::thread t([&] { b.Set(); });
  EXPECT_EQ(Event::WaitAny({&a, &b, &c}, kInfinite), 1);
  t.join();
  EXPECT_FALSE(b.IsSet());  // consumed by the wait
  a.Set();
  c.Set();
  EXPECT_EQ(Event::WaitAny({&a, &b, &c}, 0), 0);
  EXPECT_EQ(Event::WaitAny({&a, &b, &c}, 0), 2);
}

}  // namespace
}  // namespace bexa::platform
