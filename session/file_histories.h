// The account's lists from the server: its backed-up volumes (System list)
// and one volume's file histories (Directory list with its File-history
// PDUs), offering the candidate secret keys and asking for another when the
// server rejects them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "security/secret_key_check.h"
#include "session/session.h"

namespace bexa {

struct FileVersionInfo {
  std::u16string backup_date;  // 14 digits
  std::u16string modified;
  int64_t size = 0;
};

struct FileHistoryRecord {
  std::u16string path;        // below the volume, "\" separated
  std::u16string extra_date;  // text 45; empty when absent
  std::vector<FileVersionInfo> versions;  // as the server sent them
};

// The volume list entries ("COMPUTER:volume"). REQUIRES: logged on.
// Throws CBackupException 109 when the answer does not come.
std::vector<std::u16string> FetchVolumeList(Session& session, CancelSource* cancel = nullptr);

// Adds the session's secret key and then the password to the key list
// (each once, only when not empty); the user name when both are empty.
void ExtendKeyList(Session& session, std::vector<std::u16string>& keys);

// Progress of a fetch; both calls may be left empty.
struct FetchProgress {
  std::function<void(int64_t count)> started;
  std::function<void()> received_one;
};

// The file histories of one volume, `volume_request` written as
// "COMPUTER:volume". Offers the whole key list; a rejected key asks
// `dialog` for another (appended to `keys`); Cancel there throws 102.
// Other failures throw 109 (after sending Abort with reason 6). An Abort
// from the server ends the list early: the histories so far are kept.
// REQUIRES: logged on.
std::vector<FileHistoryRecord> FetchFileHistories(Session& session,
                                                  const std::u16string& volume_request,
                                                  std::vector<std::u16string>& keys,
                                                  SecretKeyDialog* dialog, CancelSource* cancel,
                                                  const FetchProgress& progress = {});

}  // namespace bexa
