// The built libBexa.so opened through the dynamic loader for one test, in a
// fresh BEXA_HOME.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/com/inproc_server.h"
#include "tests/support/temp_home.h"

namespace bexa::testing {

class LoadedBexaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    server_ = platform::com::InprocServer::Open(BEXA_LIBRARY_FILE, &error);
    ASSERT_TRUE(server_) << error;
  }
  void TearDown() override { server_.reset(); }

  // Creates an object of clsid through DllGetClassObject and its factory.
  template <typename T>
  platform::com::ComRef<T> Create(const platform::com::Clsid& clsid, const platform::com::Iid& iid) {
    platform::com::ComRef<T> object;
    EXPECT_EQ(server_->CreateInstance(clsid, iid, object.Out()), platform::com::S_OK);
    return object;
  }

  TempHome home_;  // before server_: the library is closed first
  std::unique_ptr<platform::com::InprocServer> server_;
};

}  // namespace bexa::testing
