// Restore throughput from a bexa-server over loopback, beside the floor of
// the same bytes read from a plain loopback socket and written to files.
//
//   bench_restore_throughput [MiB of large files, default 1024] [small files, default 10000]
//
// Prints MB/s and files/s per kind of stored data, and the peak resident
// memory of the client (bexa-restore, a process of its own, as is the
// server).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#include "server/importer.h"
#include "server/store.h"
#include "util/text.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void WriteData(const fs::path& path, size_t size, unsigned seed, bool text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  std::mt19937 rng(seed);
  std::string block(1 << 20, '\0');
  static const char* kWords[] = {"backup ", "restore ", "volume ", "the ", "file\n", "key "};
  for (size_t done = 0; done < size;) {
    if (text) {
      block.clear();
      while (block.size() < (1u << 20)) block += kWords[rng() % 6];
      block.resize(1 << 20);
    } else {
      for (auto& c : block) c = static_cast<char>(rng());
    }
    const size_t n = std::min(block.size(), size - done);
    out.write(block.data(), static_cast<std::streamsize>(n));
    done += n;
  }
}

struct Served {
  pid_t pid = 0;
  int port = 0;
};

Served Serve(const fs::path& store, const fs::path& work) {
  const fs::path port_file = work / "port";
  fs::remove(port_file);
  Served s;
  std::fflush(stdout);
  s.pid = ::fork();
  if (s.pid == 0) {
    const std::string st = store.string(), pf = port_file.string();
    ::execl(BEXA_SERVER_PROGRAM, "bexa-server", "serve", "--store", st.c_str(), "--listen",
            "127.0.0.1:0", "--port-file", pf.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (int i = 0; i < 500 && !fs::exists(port_file); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::ifstream(port_file) >> s.port;
  return s;
}

void Stop(const Served& s) {
  ::kill(s.pid, SIGTERM);
  ::waitpid(s.pid, nullptr, 0);
}

// Restores every file of the volume below `out` with bexa-restore, as a
// process of its own; returns seconds and the client's peak resident memory.
double Restore(int port, const bexa::server::Store& store, const fs::path& out, int64_t& files,
               int64_t& bytes, long& peak_rss_mb) {
  auto index = store.LoadVolume("bench", "WORKGRP:\\\\PC1\\C");
  files = 0;
  bytes = 0;
  for (const auto& f : index->files) {
    ++files;
    bytes += f.versions.back().size;
  }
  const std::string server = "127.0.0.1:" + std::to_string(port), to = out.string();
  std::fflush(stdout);  // the child must not print the parent's buffer again
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::freopen("/dev/null", "w", stdout);
    ::execl(BEXA_RESTORE_PROGRAM, "bexa-restore", "--server", server.c_str(), "--user", "bench",
            "--password", "pw", "--restore", "//PC1/C", "--to", to.c_str(), "--overwrite", "yes-all",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const double s = Seconds(start, Clock::now());
  peak_rss_mb = usage.ru_maxrss / 1024;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::cerr << "  bexa-restore ended with status " << WEXITSTATUS(status) << "\n";
  return s;
}

// The floor: the files' bytes sent over a plain loopback socket by one
// thread and written to files of the same sizes by the other.
double Floor(const std::vector<std::pair<fs::path, size_t>>& files, const fs::path& out) {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
  socklen_t len = sizeof(addr);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  ::listen(listener, 1);
  std::thread sender([&] {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    std::vector<char> buf(256 * 1024);
    for (const auto& [path, size] : files) {
      std::ifstream in(path, std::ios::binary);
      for (size_t done = 0; done < size;) {
        const size_t n = std::min(buf.size(), size - done);
        in.read(buf.data(), static_cast<std::streamsize>(n));
        for (size_t sent = 0; sent < n;) sent += static_cast<size_t>(::send(s, buf.data() + sent, n - sent, 0));
        done += n;
      }
    }
    ::close(s);
  });
  int c = ::accept(listener, nullptr, nullptr);
  const auto start = Clock::now();
  std::vector<char> buf(256 * 1024);
  size_t i = 0;
  for (const auto& [path, size] : files) {
    const fs::path dest = out / std::to_string(i++);
    FILE* f = std::fopen(dest.c_str(), "wb");
    for (size_t done = 0; done < size;) {
      const ssize_t r = ::recv(c, buf.data(), std::min(buf.size(), size - done), 0);
      if (r <= 0) break;
      ::write(fileno(f), buf.data(), static_cast<size_t>(r));
      done += static_cast<size_t>(r);
    }
    std::fclose(f);
  }
  const double s = Seconds(start, Clock::now());
  sender.join();
  ::close(c);
  ::close(listener);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t large_mib = argc > 1 ? std::stoul(argv[1]) : 1024;
  const int small_files = argc > 2 ? std::stoi(argv[2]) : 10000;
  char pattern[] = "/tmp/bexa-bench-XXXXXX";
  const fs::path work = ::mkdtemp(pattern);
  ::setenv("BEXA_HOME", (work / "home").c_str(), 1);
  fs::create_directories(work / "home" / "drive_c");

  struct Kind {
    const char* name;
    bool compress, encrypt;
  } kinds[] = {{"plain", false, false}, {"imploded", true, false}, {"enciphered", false, true},
               {"both", true, true}};
  std::printf("%-12s %-22s %10s %10s %10s %8s\n", "data", "set", "MB/s", "files/s", "floor MB/s",
              "RSS MB");
  for (const auto& kind : kinds) {
    for (int set = 0; set < 2; ++set) {
      if (set == 1 && kind.compress) continue;  // small files: plain and enciphered
      const fs::path host = work / "host", store_dir = work / "store", out = work / "out";
      fs::remove_all(host);
      fs::remove_all(store_dir);
      fs::remove_all(out);
      std::vector<std::pair<fs::path, size_t>> files;
      if (set == 0) {
        for (int i = 0; i < 4; ++i) {
          files.emplace_back(host / ("large" + std::to_string(i) + ".dat"), large_mib * 1048576 / 4);
          WriteData(files.back().first, files.back().second, 17 + i, /*text=*/kind.compress);
        }
      } else {
        std::mt19937 rng(5);
        for (int i = 0; i < small_files; ++i) {
          files.emplace_back(host / ("d" + std::to_string(i / 500)) / ("f" + std::to_string(i)),
                             1024 + rng() % (19 * 1024));
          WriteData(files.back().first, files.back().second, static_cast<unsigned>(i), false);
        }
      }
      auto store = bexa::server::Store::Open(store_dir, true);
      bexa::server::Account a;
      a.user = "bench";
      a.password = "pw";
      store.accounts.push_back(a);
      store.SaveConfig();
      bexa::server::ImportOptions o;
      o.account = "bench";
      o.volume = "\\\\PC1\\C";
      o.computer = "WORKGRP";
      o.folder = host;
      o.compress = kind.compress;
      o.encrypt = kind.encrypt;
      o.backup_date = "20240102030405";
      bexa::server::ImportFolder(store, o);

      fs::create_directories(out / "floor");
      const double floor_s = Floor(files, out / "floor");
      fs::remove_all(out / "floor");
      const Served served = Serve(store_dir, work);
      int64_t n = 0, bytes = 0;
      long rss = 0;
      const double s = Restore(served.port, store, out, n, bytes, rss);
      Stop(served);
      std::printf("%-12s %-22s %10.1f %10.0f %10.1f %8ld\n", kind.name,
                  set == 0 ? "4 large files" : "small files (1-20 KiB)", bytes / 1e6 / s, n / s,
                  bytes / 1e6 / floor_s, rss);
      std::fflush(stdout);
    }
  }
  fs::remove_all(work);
}
