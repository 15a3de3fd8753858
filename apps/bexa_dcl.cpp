// bexa-dcl: expands and compresses files in the implode format.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "catalogue/explode.h"
#include "catalogue/implode.h"

namespace {

constexpr const char* kUsage =
    "usage: bexa-dcl explode IN OUT\n"
    "       bexa-dcl implode [--ascii] [--dict 4|5|6] IN OUT\n"
    "  explode: expands IN into OUT; the exit status is the expander's result\n"
    "    (0 success, 1 bad dictionary bits, 2 bad literal coding, 3 input of 4\n"
    "    bytes or fewer, 4 stream ended before the end code).\n"
    "  implode: compresses IN into OUT (binary literals unless --ascii;\n"
    "    dictionary bits 6 unless --dict).\n"
    "  Exit status 64 on bad arguments, 74 when a file cannot be read or written.\n";

constexpr int kUsageError = 64;
constexpr int kIoError = 74;

bool ReadAll(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  data = ss.str();
  return !in.bad();
}

bool WriteAll(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

int Usage(const char* why) {
  if (why) std::fprintf(stderr, "bexa-dcl: %s\n", why);
  std::fputs(kUsage, stderr);
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 2) return Usage(nullptr);
  const std::string command = argv[1];
  bool ascii = false;
  uint32_t dict = 6;
  std::string files[2];
  int nfiles = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (command == "implode" && a == "--ascii") {
      ascii = true;
    } else if (command == "implode" && a == "--dict" && i + 1 < argc) {
      const std::string v = argv[++i];
      if (v != "4" && v != "5" && v != "6") return Usage("--dict takes 4, 5 or 6");
      dict = static_cast<uint32_t>(v[0] - '0');
    } else if (nfiles < 2 && !(a.size() > 1 && a[0] == '-')) {
      files[nfiles++] = a;
    } else {
      return Usage(("unexpected argument '" + a + "'").c_str());
    }
  }
  if ((command != "explode" && command != "implode") || nfiles != 2)
    return Usage(command != "explode" && command != "implode" ? "unknown command" : "IN and OUT are needed");
  std::string input;
  if (!ReadAll(files[0], input)) {
    std::fprintf(stderr, "bexa-dcl: cannot read %s\n", files[0].c_str());
    return kIoError;
  }
  std::string output;
  int status = 0;
  if (command == "explode") {
    status = static_cast<int>(bexa::ExplodeBuffer(input, output));
    if (status != 0) std::fprintf(stderr, "bexa-dcl: explode result %d\n", status);
  } else {
    output = bexa::Implode(input, ascii ? bexa::dcl::kAscii : bexa::dcl::kBinary, dict);
  }
  if (!WriteAll(files[1], output)) {
    std::fprintf(stderr, "bexa-dcl: cannot write %s\n", files[1].c_str());
    return kIoError;
  }
  return status;
}
