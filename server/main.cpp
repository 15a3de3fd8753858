// bexa-server: the reference backup server and its store tools.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "server/command_line.h"
#include "server/listener.h"

namespace {

using bexa::server::Arguments;

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: bexa-server COMMAND [OPTIONS]\n"
    "\n"
    "A small backup server for testing and demonstrating the restore client.\n"
    "\n"
    "commands:\n"
    "  serve      serve a store over TCP\n"
    "  import     add one backup version of a host folder to a store\n"
    "  catalogue  write a volume's catalogue file (filelist.vdb)\n"
    "\n"
    "'bexa-server COMMAND --help' describes a command.\n";

const char kServeUsage[] =
    "usage: bexa-server serve --store DIR [--listen HOST:PORT] [--log-pdus FILE]\n"
    "                         [--port-file FILE] [--timeout-ms N] [--max-connections N]\n"
    "                         [--block-size N]\n"
    "\n"
    "Serves the accounts of the store: logon, system and directory lists with\n"
    "file histories, restore volume and file lists with the file data. The\n"
    "configuration (DIR/config.json) is read afresh for every connection.\n"
    "\n"
    "  --store DIR          the store folder (with config.json)\n"
    "  --listen HOST:PORT   address to listen on (default 127.0.0.1:308); port 0\n"
    "                       takes a free port\n"
    "  --port-file FILE     write the bound port to FILE once listening\n"
    "  --log-pdus FILE      append one line per PDU received and sent\n"
    "  --timeout-ms N       longest wait for a client's PDU (default 60000)\n"
    "  --max-connections N  connections served at once (default 128)\n"
    "  --block-size N       payload bytes per File data PDU (default 65536)\n"
    "\n"
    "Prints 'listening on HOST:PORT' on standard output and runs until it gets\n"
    "SIGINT or SIGTERM.\n";

int Serve(Arguments& args) {
  if (args.Flag("--help")) {
    std::cout << kServeUsage;
    return 0;
  }
  bexa::server::ServerOptions options;
  options.store_dir = args.Required("--store");
  const std::string listen = args.Value("--listen", "127.0.0.1:308");
  const auto colon = listen.rfind(':');
  if (colon == std::string::npos) throw std::runtime_error("--listen takes HOST:PORT");
  options.host = listen.substr(0, colon);
  options.port = static_cast<uint16_t>(bexa::server::ParseNumber(listen.substr(colon + 1), 0, 65535));
  options.pdu_log = args.Value("--log-pdus", "");
  const std::string port_file = args.Value("--port-file", "");
  options.session.timeout_ms =
      static_cast<int>(bexa::server::ParseNumber(args.Value("--timeout-ms", "60000"), 1, 86400000));
  options.max_connections =
      static_cast<int>(bexa::server::ParseNumber(args.Value("--max-connections", "128"), 1, 4096));
  options.session.data_block_size = static_cast<size_t>(
      bexa::server::ParseNumber(args.Value("--block-size", "65536"), 16, 1 << 20));
  args.RequireDone();

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  bexa::server::Listener listener(options);
  listener.Start();
  std::cout << "listening on " << options.host << ":" << listener.port() << std::endl;
  if (!port_file.empty()) {
    const std::string tmp = port_file + ".tmp";
    std::ofstream(tmp) << listener.port() << "\n";
    std::rename(tmp.c_str(), port_file.c_str());  // a reader never sees an empty file
  }
  while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  listener.Stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::cout << kUsage;
    return words.empty() ? 2 : 0;
  }
  const std::string command = words[0];
  Arguments args(std::vector<std::string>(words.begin() + 1, words.end()));
  try {
    if (command == "serve") return Serve(args);
    if (command == "import") return bexa::server::ImportCommand(args);
    if (command == "catalogue") return bexa::server::CatalogueCommand(args);
    std::cerr << "bexa-server: unknown command '" << command << "'\n" << kUsage;
    return 2;
  } catch (const bexa::server::UsageError& e) {
    std::cerr << "bexa-server " << command << ": " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "bexa-server " << command << ": " << e.what() << "\n";
    return 1;
  }
}
