// A bexa-server for tests: a store in a temporary folder, filled through the
// store and import code, and the server listening on a free loopback port
// with its PDU log, in the test's own process.
//
//   bexa::testing::TestStore store;                  // empty config.json
//   store.AddAccount("ann", "pw");                   // or edit store.store()
//   store.AddFile("Docs/a.txt", "hello");            // below store.HostFolder()
//   store.Import("ann", "\\\\PC1\\C", "WORKGRP", {.compress = true});
//   bexa::testing::TestServer server(store.dir());   // listening now
//   ... connect to 127.0.0.1:server.port() ...
//   server.WaitForLine("recv QUIT");                 // PDU log lines
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/importer.h"
#include "server/listener.h"
#include "server/store.h"

namespace bexa::testing {

class TestStore {
 public:
  TestStore() {
    char pattern[] = "/tmp/bexa-store-XXXXXX";
    root_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(HostFolder());
    store_ = server::Store::Open(dir(), /*create=*/true);
  }
  ~TestStore() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TestStore(const TestStore&) = delete;
  TestStore& operator=(const TestStore&) = delete;

  std::filesystem::path dir() const { return root_ / "store"; }
  // The host folder that the next Import reads.
  std::filesystem::path HostFolder() const { return root_ / "host"; }
  server::Store& store() { return store_; }

  server::Account& AddAccount(const std::string& user, const std::string& password) {
    server::Account a;
    a.user = user;
    a.password = password;
    store_.accounts.push_back(a);
    store_.SaveConfig();
    return store_.accounts.back();
  }
  // Writes config.json after changes made through store().
  void Save() { store_.SaveConfig(); }

  void AddFile(const std::string& relative, const std::string& bytes) {
    const auto path = HostFolder() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  struct ImportFlags {
    bool compress = false;
    bool encrypt = false;
    std::string date = "20240102030405";
  };
  server::ImportResult Import(const std::string& user, const std::string& volume,
                              const std::string& computer, const ImportFlags& flags) {
    server::ImportOptions o;
    o.account = user;
    o.volume = volume;
    o.computer = computer;
    o.folder = HostFolder();
    o.compress = flags.compress;
    o.encrypt = flags.encrypt;
    o.backup_date = flags.date;
    return server::ImportFolder(store_, o);
  }

 private:
  std::filesystem::path root_;
  server::Store store_;
};

class TestServer {
 public:
  explicit TestServer(const std::filesystem::path& store_dir, int timeout_ms = 10000,
                      int max_connections = 128) {
    char pattern[] = "/tmp/bexa-pdulog-XXXXXX";
    log_dir_ = ::mkdtemp(pattern);
    server::ServerOptions o;
    o.store_dir = store_dir;
    o.port = 0;
    o.pdu_log = (log_dir_ / "pdus.log").string();
    o.max_connections = max_connections;
    o.session.timeout_ms = timeout_ms;
    listener_ = std::make_unique<server::Listener>(o);
    listener_->Start();
  }
  ~TestServer() {
    listener_->Stop();
    // A failing test shows what the server saw.
    if (::testing::Test::HasFailure()) {
      for (const auto& line : LogLines()) std::cerr << "pdu log: " << line << "\n";
    }
    std::error_code ec;
    std::filesystem::remove_all(log_dir_, ec);
  }

  uint16_t port() const { return listener_->port(); }
  server::Listener& listener() { return *listener_; }
  std::filesystem::path log_path() const { return log_dir_ / "pdus.log"; }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(log_path());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The first log line holding `text`, waiting up to `timeout_ms` for it;
  // empty when none came.
  std::string WaitForLine(const std::string& text, int timeout_ms = 5000) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    do {
      for (const auto& line : LogLines())
        if (line.find(text) != std::string::npos) return line;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return {};
  }

 private:
  std::filesystem::path log_dir_;
  std::unique_ptr<server::Listener> listener_;
};

}  // namespace bexa::testing
