// Field tags by meaning. A tag means the same thing wherever it appears,
// except for a few general "value" tags of PDUs this client does not use.
#pragma once

#include <cstdint>

namespace bexa::protocol::tag {

constexpr uint8_t kVersion = 1;             // PROT, TEST
constexpr uint8_t kProtocolText = 2;        // PROT, TEST
constexpr uint8_t kKeyDigest = 3;           // ENCR, ENCP
constexpr uint8_t kProviderId = 4;          // CSPR
constexpr uint8_t kProviderFlag = 5;        // CSPR, CSPP
constexpr uint8_t kUser = 6;                // USRR
constexpr uint8_t kPassword = 7;            // USRR; MKYR: master key
constexpr uint8_t kLogonResult = 8;         // USRP
constexpr uint8_t kKeyText = 9;             // PWDR; list element of candidate keys
constexpr uint8_t kVolumeCount = 11;        // count of volume lists
constexpr uint8_t kVolume = 12;             // volume text, volume root, list element
constexpr uint8_t kCount13 = 13;            // DLSP file-history PDUs; FLSR value; file counts
constexpr uint8_t kFilePath = 14;           // file path or name
constexpr uint8_t kVerifyStatus = 15;       // VERP
constexpr uint8_t kFurtherValue16 = 16;     // FINF
constexpr uint8_t kBackupDate = 17;         // FINF, record 80, record 82, DELR
constexpr uint8_t kFileSize = 18;           // FINF, record 80 (wide); RDFR (int)
constexpr uint8_t kCreationTime = 19;       // FINF
constexpr uint8_t kModificationDate = 20;   // FINF last-write time, record 80
constexpr uint8_t kLastAccessTime = 21;     // FINF
constexpr uint8_t kCrc = 22;                // FINF CRC-32; SFIL, RDFR further value
constexpr uint8_t kFurtherValue23 = 23;     // FINF
constexpr uint8_t kFileStatus = 24;         // FSTS
constexpr uint8_t kStatusSize = 25;         // FSTS
constexpr uint8_t kLastBlock = 26;          // FDTA
constexpr uint8_t kVersionCount = 27;       // LINF count of record 80
constexpr uint8_t kUpgradeVersion = 28;     // UPGR, RADF
constexpr uint8_t kVerifyCrc = 29;          // VERR
constexpr uint8_t kLocation = 30;           // UPGR, RADF
constexpr uint8_t kAbortReason = 31;        // ABRT
constexpr uint8_t kFileDataZero = 32;       // FDTA, always 0
constexpr uint8_t kCompression = 33;        // FINF
constexpr uint8_t kEncryptionFlag = 34;     // FINF
constexpr uint8_t kKeyHint = 35;            // PWDR, PWDP, DLSP, record 81
constexpr uint8_t kPreviousKeyText = 36;    // PWDR
constexpr uint8_t kKeyStatus = 37;          // PWDP
constexpr uint8_t kWorkstation = 38;        // USRR
constexpr uint8_t kFallbackFlag = 39;       // USRP
constexpr uint8_t kCutOffDate = 40;         // USRP
constexpr uint8_t kValue41 = 41;            // DELP
constexpr uint8_t kAttributes = 42;         // FINF
constexpr uint8_t kKeyCount = 43;           // count of candidate keys
constexpr uint8_t kListAnswer = 44;         // DLSP
constexpr uint8_t kListDate = 45;           // LINF
constexpr uint8_t kVolumeStatus = 46;       // record 81; FLSP value
constexpr uint8_t kAnswerCount = 47;        // RVLP count of record 81
constexpr uint8_t kServerFileStatus = 48;   // SFIL
constexpr uint8_t kAuthType = 49;           // AINF
constexpr uint8_t kAuthDomain = 50;         // AINF
constexpr uint8_t kAuthStatus = 51;         // ASTS
constexpr uint8_t kMessageCode = 52;        // AUTH
constexpr uint8_t kMessageData = 53;        // AUTH (bytes)
constexpr uint8_t kMasterKeyStatus = 54;    // MKYP
constexpr uint8_t kValue55 = 55;            // RDFP
constexpr uint8_t kLogonFurtherValue = 56;  // USRP, from version "3.00"
constexpr uint8_t kDeleteStatus = 57;       // DFIL
constexpr uint8_t kDeleteSize = 58;         // DFIL
constexpr uint8_t kVerifyValue1 = 61;       // VERP, from "3.50"
constexpr uint8_t kVerifyValue2 = 62;       // VERP, from "3.50"
constexpr uint8_t kVerifyText = 63;         // VERP, from "3.50"
constexpr uint8_t kSystemText65 = 65;       // SYSR
constexpr uint8_t kSystemText66 = 66;       // SYSR
constexpr uint8_t kSystemText67 = 67;       // SYSR
constexpr uint8_t kSystemValue68 = 68;      // SYSR
constexpr uint8_t kSystemChangeKind = 69;   // SYSR
constexpr uint8_t kCallHomeValue = 73;      // CHME
constexpr uint8_t kEventsValue = 74;        // EVNT
constexpr uint8_t kStatusFurtherValue = 75; // FSTS, from "7.0"
constexpr uint8_t kAccountValue = 76;       // RADF
constexpr uint8_t kPingValue = 78;          // PING
constexpr uint8_t kFileVersionRecord = 80;  // LINF element
constexpr uint8_t kVolumeAnswerRecord = 81; // RVLP element
constexpr uint8_t kRequestedFileRecord = 82;// RFLR element

constexpr int kMaxTag = 82;

}  // namespace bexa::protocol::tag
