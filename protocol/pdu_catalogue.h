// The PDU types: number (one byte on the wire), four-letter code, name text,
// the capacity of the buffers an encoding is written into, and whether the
// type is always encoded with the empty version text (so its texts always
// travel as Windows-1252).
#pragma once

#include <cstddef>
#include <cstdint>

namespace bexa::protocol {

enum PduType : uint8_t {
  kPduProt = 1,   // Protocol information
  kPduEncr = 2,   // Encryption key request
  kPduEncp = 3,   // Encryption key response
  kPduCspr = 4,   // Crypto provider request
  kPduCspp = 5,   // Crypto provider response
  kPduUsrr = 6,   // User authentication request
  kPduUsrp = 7,   // User authentication response
  kPduPwdr = 8,   // Password request
  kPduVlsr = 11,  // Volume list request
  kPduVlsp = 12,  // Volume list response
  kPduFlsr = 13,  // File list request
  kPduFlsp = 14,  // File list response
  kPduFinf = 15,  // File information
  kPduFsts = 16,  // File status
  kPduFdta = 17,  // File data
  kPduVerr = 18,  // File verify request
  kPduVerp = 19,  // File verify response
  kPduRflr = 20,  // Restore file list request
  kPduCncl = 21,  // Cancel request
  kPduSlsr = 22,  // System list request
  kPduSlsp = 23,  // System list response
  kPduDlsr = 24,  // Directory (volume) list request with history
  kPduDlsp = 25,  // Directory (volume) list response with history
  kPduUpgr = 26,  // Upgrade request
  kPduPwdp = 27,  // Password response
  kPduDelr = 28,  // Deleted file list request
  kPduDelp = 29,  // Deleted file list response
  kPduLinf = 30,  // List information
  kPduRvlr = 31,  // Restore volume list request
  kPduRvlp = 32,  // Restore volume list response
  kPduSfil = 33,  // Restore file status
  kPduAinf = 34,  // Authentication info
  kPduAsts = 35,  // Authentication status
  kPduAuth = 36,  // Authentication message
  kPduMkyr = 37,  // Master key request
  kPduMkyp = 38,  // Master key response
  kPduRdfr = 39,  // Redundant files request
  kPduRdfp = 40,  // Redundant files response
  kPduDvlr = 41,  // Delete volume list request
  kPduDvlp = 42,  // Delete volume list response
  kPduDflr = 43,  // Delete file list request
  kPduDfil = 44,  // Delete file status
  kPduTest = 45,  // Test-client
  kPduChme = 46,  // Call Home
  kPduSysr = 47,  // System Name Change
  kPduEvnt = 48,  // Events
  kPduDslr = 49,  // Directory (volume) list request
  kPduEhlr = 50,  // enumerate history requests
  kPduEhfr = 51,  // enumerate file history requests
  kPduRadf = 52,  // Account data files
  kPduPing = 53,  // Backup Server ping
  kPduAbrt = 97,  // Abort
  kPduHtbt = 98,  // Heartbeat
  kPduQuit = 99,  // Quit
};

struct PduTypeInfo {
  uint8_t number;
  const char16_t* code;
  const char16_t* name;
  uint32_t capacity;   // of the first and every further buffer of an encoding
  bool empty_version;  // always encoded and decoded with the empty version text
};

// The entry of a type, or nullptr for a number outside the catalogue.
const PduTypeInfo* FindPduType(int number);

// Code and name texts; "Unknown" for a number outside the catalogue.
const char16_t* PduCode(int number);
const char16_t* PduName(int number);

}  // namespace bexa::protocol
