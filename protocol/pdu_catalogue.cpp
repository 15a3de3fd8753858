#include "protocol/pdu_catalogue.h"

#include <array>

namespace bexa::protocol {
namespace {

constexpr PduTypeInfo kCatalogue[] = {
    {1, u"PROT", u"Protocol information", 128, true},
    {2, u"ENCR", u"Encryption key request", 128, true},
    {3, u"ENCP", u"Encryption key response", 128, true},
    {4, u"CSPR", u"Crypto provider request", 128, false},
    {5, u"CSPP", u"Crypto provider response", 128, false},
    {6, u"USRR", u"User authentication request", 128, false},
    {7, u"USRP", u"User authentication response", 128, false},
    {8, u"PWDR", u"Password request", 128, false},
    {11, u"VLSR", u"Volume list request", 256, false},
    {12, u"VLSP", u"Volume list response", 256, false},
    {13, u"FLSR", u"File list request", 128, false},
    {14, u"FLSP", u"File list response", 128, false},
    {15, u"FINF", u"File information", 256, false},
    {16, u"FSTS", u"File status", 128, false},
    {17, u"FDTA", u"File data", 128, false},
    {18, u"VERR", u"File verify request", 128, false},
    {19, u"VERP", u"File verify response", 128, false},
    {20, u"RFLR", u"Restore file list request", 4096, false},
    {21, u"CNCL", u"Cancel request", 128, false},
    {22, u"SLSR", u"System list request", 128, false},
    {23, u"SLSP", u"System list response", 256, false},
    {24, u"DLSR", u"Directory (volume) list request with history", 128, false},
    {25, u"DLSP", u"Directory (volume) list response with history", 128, false},
    {26, u"UPGR", u"Upgrade request", 128, false},
    {27, u"PWDP", u"Password response", 128, false},
    {28, u"DELR", u"Deleted file list request", 256, false},
    {29, u"DELP", u"Deleted file list response", 128, false},
    {30, u"LINF", u"List information", 4096, false},
    {31, u"RVLR", u"Restore volume list request", 256, false},
    {32, u"RVLP", u"Restore volume list response", 256, false},
    {33, u"SFIL", u"Restore file status", 128, false},
    {34, u"AINF", u"Authentication info", 128, false},
    {35, u"ASTS", u"Authentication status", 128, false},
    {36, u"AUTH", u"Authentication message", 256, false},
    {37, u"MKYR", u"Master key request", 128, false},
    {38, u"MKYP", u"Master key response", 128, false},
    {39, u"RDFR", u"Redundant files request", 128, false},
    {40, u"RDFP", u"Redundant files response", 128, false},
    {41, u"DVLR", u"Delete volume list request", 256, false},
    {42, u"DVLP", u"Delete volume list response", 256, false},
    {43, u"DFLR", u"Delete file list request", 256, false},
    {44, u"DFIL", u"Delete file status", 128, false},
    {45, u"TEST", u"Test-client", 128, true},
    {46, u"CHME", u"Call Home", 128, false},
    {47, u"SYSR", u"System Name Change", 128, false},
    {48, u"EVNT", u"Events", 128, false},
    {49, u"DSLR", u"Directory (volume) list request", 128, false},
    {50, u"EHLR", u"enumerate history requests", 128, false},
    {51, u"EHFR", u"enumerate file history requests", 128, false},
    {52, u"RADF", u"Account data files", 128, false},
    {53, u"PING", u"Backup Server ping", 128, false},
    {97, u"ABRT", u"Abort", 128, false},
    {98, u"HTBT", u"Heartbeat", 128, false},
    {99, u"QUIT", u"Quit", 128, false},
};

constexpr std::array<int8_t, 256> BuildIndex() {
  std::array<int8_t, 256> index{};
  for (auto& i : index) i = -1;
  for (size_t i = 0; i < std::size(kCatalogue); ++i) {
    index[kCatalogue[i].number] = static_cast<int8_t>(i);
  }
  return index;
}
constexpr std::array<int8_t, 256> kIndex = BuildIndex();

}  // namespace

const PduTypeInfo* FindPduType(int number) {
  if (number < 0 || number > 255 || kIndex[number] < 0) return nullptr;
  return &kCatalogue[kIndex[number]];
}

const char16_t* PduCode(int number) {
  const PduTypeInfo* info = FindPduType(number);
  return info ? info->code : u"Unknown";
}

const char16_t* PduName(int number) {
  const PduTypeInfo* info = FindPduType(number);
  return info ? info->name : u"Unknown";
}

}  // namespace bexa::protocol
