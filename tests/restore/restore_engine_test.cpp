#include "restore/restore_engine.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>
#include <zlib.h>

#include <deque>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/temp_home.h"
#include "util/text.h"

namespace bexa {
namespace {

std::u16string EnglishText(int id) {
  static const std::map<int, std::u16string> kTexts = {
      {1140, u"Restoring..."},
      {1141, u"Restoring %s file(s) for volume %s"},
      {1142, u"Getting file integrity status, please stand by..."},
      {1143, u"Restoring %s of %s: %s"},
      {1144, u"Restore Complete"},
      {1145, u"An error occurred while restoring the file: %s"},
      {1146, u"The following file could not be restored because of an error on the server: %s"},
      {1147, u"No files to restore"},
      {1148, u"The files on the following volume could not be restored because of a server error: %s"},
      {1150, u"The following file was not overwritten/restored at the request of the user: %s"},
      {1152, u"Unknown error caused abort of restore process."},
      {1153, u"There were no files successfully restored."},
      {1154, u"There were no files restored because there were original files which were requested to not be overwritten."},
      {1155, u"The restore operation was only partially successful.  %s of %s files were restored properly."},
      {1156, u"The restore operation completed successfully."},
      {1170, u"Restore started at %s"}, {1171, u"SUMMARY FOR RESTORE:"},
      {1172, u"Backup Client: v%s, User: %s"}, {1173, u"Backup Server: %s, Port: %s"},
      {1176, u"Total no. of warnings: %s"}, {1177, u"Total no. of errors: %s"},
      {1178, u"Files requested for restore: %s"}, {1179, u"Files actually restored: %s"},
      {1180, u"Total no. of skipped files: %s"},
      {1181, u"Restore data size before compression: %.4f megabytes"},
      {1182, u"Restore data size after compression: %.4f megabytes"},
      {1183, u"Disk space usage on server: %.2f megabytes"},
      {1184, u"Total Restore time: %02d:%02d:%02d"}, {1185, u"Warnings:"}, {1186, u"Errors:"},
  };
  auto it = kTexts.find(id);
  return it == kTexts.end() ? u"?" : it->second;
}

std::u16string Join(const std::vector<std::u16string>& v) {
  std::u16string out;
  for (const auto& s : v) out += (out.empty() ? u"" : u",") + s;
  return out;
}

uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

// A server in memory: files by their stored path, with per-file status.
class FakeServer : public RestoreConnection, public TransferPeer {
 public:
  struct StoredFile {
    std::string data;
    int32_t sfil_status = 0;
  };
  std::map<std::u16string, StoredFile> files;  // "\\PC1\C\dir\f.txt" -> data
  std::map<std::u16string, VolumeAnswer> volume_answers;  // by requested path
  std::vector<std::u16string> log;
  bool drop_after_first_block = false;
  std::u16string accepted_key = u"zzz";

  void OpenAndLogOn() override { log.push_back(u"logon"); }
  FileCipher BuildDataCipher() override { return {}; }
  void CloseAndDropCipher() override { log.push_back(u"close"); }
  bool SendRestoreVolumeList(const std::vector<std::u16string>& paths,
                             const std::vector<std::u16string>& keys) override {
    log.push_back(u"RVLR " + Join(paths) + u" keys " + Join(keys));
    answers_.clear();
    const bool key_ok = std::find(keys.begin(), keys.end(), accepted_key) != keys.end();
    for (const auto& p : paths) {
      VolumeAnswer a = volume_answers.count(p) ? volume_answers[p] : VolumeAnswer{};
      if (a.status == 2 && key_ok) a.status = 0;
      answers_.push_back(a);
    }
    pending_.push_back(kPduRestoreVolumeListResponse);
    return true;
  }
  bool SendRestoreFileList(const std::u16string& root,
                           const std::vector<std::pair<std::u16string, std::u16string>>& list) override {
    log.push_back(u"RFLR " + root);
    // The volume text of the root: drop the computer name and put "\\" back.
    const std::u16string volume = u"\\" + root.substr(root.find(u'\\'));
    for (const auto& [path, date] : list) {
      queue_.push_back({volume + u"\\" + path, date});
      pending_.push_back(kPduRestoreFileStatus);
    }
    return true;
  }
  int WaitForPdu() override {
    if (pending_.empty()) throw CBackupException(109);
    int type = pending_.front();
    pending_.pop_front();
    if (type == kPduRestoreFileStatus) {
      current_ = queue_.front();
      queue_.pop_front();
      if (files[current_.first].sfil_status == 0) pending_.push_front(kPduFileInformation);
    }
    return type;
  }
  std::vector<VolumeAnswer> VolumeAnswers() override { return answers_; }
  FileStatusAnswer RestoreFileStatus() override { return {current_.first, files[current_.first].sfil_status}; }
  FileInformation FileInfo() override {
    FileInformation f;
    const std::u16string& p = current_.first;
    // Below the volume: after "\\PC1\C\".
    f.path = p.substr(p.find(u'\\', p.find(u'\\', 2) + 1) + 1);
    f.backup_date = current_.second;
    f.last_write = u"20230405060708";
    f.size = static_cast<int64_t>(files[p].data.size());
    f.crc32 = Crc(files[p].data);
    return f;
  }
  bool Usable() override { return true; }
  void SendFileStatus(int32_t status) override {
    log.push_back(u"FSTS " + ToText(status));
    if (status == 0) {
      const std::string& d = files[current_.first].data;
      blocks_.clear();
      for (size_t pos = 0; pos < d.size(); pos += 3) blocks_.push_back(d.substr(pos, 3));
      verr_crc_ = Crc(d);
      sent_blocks_ = 0;
    }
  }
  void SendAbort(int32_t reason) override { log.push_back(u"ABRT " + ToText(reason)); }
  void SendCancel() override { log.push_back(u"CNCL"); }
  TransferPeer& Peer() override { return *this; }
  ExpandFunction Expander() override { return {}; }

  Received Next(DataBlock& block, bool& last, std::u16string&, uint32_t& crc) override {
    if (drop_after_first_block && sent_blocks_ == 1) return Received::kFailed;
    if (!blocks_.empty()) {
      auto owned = std::make_shared<std::string>(blocks_.front());
      blocks_.pop_front();
      block = {owned, reinterpret_cast<uint8_t*>(owned->data()), owned->size()};
      last = blocks_.empty();
      ++sent_blocks_;
      return Received::kFileData;
    }
    crc = verr_crc_;
    return Received::kVerify;
  }
  void SendVerifyResponse(int32_t status) override { log.push_back(u"VERP " + ToText(status)); }

 private:
  std::vector<VolumeAnswer> answers_;
  std::deque<int> pending_;
  std::deque<std::pair<std::u16string, std::u16string>> queue_;
  std::pair<std::u16string, std::u16string> current_;
  std::deque<std::string> blocks_;
  uint32_t verr_crc_ = 0;
  int sent_blocks_ = 0;
};

class ScriptedUi : public RestoreUi, public ConfirmReplacePrompt {
 public:
  std::optional<DestinationChoice> destination = DestinationChoice{};
  std::deque<std::optional<std::u16string>> secret_keys;
  std::deque<int32_t> replace_answers;
  std::vector<std::u16string> panel_status, messages, errors;
  std::u16string status_text, status_details;
  bool status_shown = false, flash = false, cancel = false;
  int advanced = 0;

  std::optional<DestinationChoice> AskDestination(const DestinationChoice&) override { return destination; }
  void ProgressOpen(int64_t) override {}
  void ProgressCaption(const std::u16string&) override {}
  void ProgressStatus(const std::u16string&) override {}
  void ProgressFileLine(const std::u16string&) override {}
  void ProgressAnimation(int) override {}
  void ProgressAdvance() override { ++advanced; }
  bool ProgressCancelled() override { return cancel; }
  void ProgressClose() override {}
  void PumpMessages() override {}
  void PanelStatus(const std::u16string& t) override { panel_status.push_back(t); }
  std::optional<std::u16string> AskSecretKey(const std::u16string&) override {
    if (secret_keys.empty()) return std::nullopt;
    auto k = secret_keys.front();
    secret_keys.pop_front();
    return k;
  }
  void Message(const std::u16string& t, StatusIcon) override { messages.push_back(t); }
  void ReportError(const CBackupException& e) override { errors.push_back(ToText(e.Code())); }
  void ShowStatus(const std::u16string& t, StatusIcon, const std::u16string& d, bool f) override {
    status_shown = true;
    status_text = t;
    status_details = d;
    flash = f;
  }
  ConfirmReplacePrompt& ReplacePrompt() override { return *this; }
  int32_t Ask(const std::u16string&, int64_t, const DateTime&, int64_t, const DateTime&, int32_t&) override {
    auto a = replace_answers.front();
    replace_answers.pop_front();
    return a;
  }
};

class RestoreEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ctx_.user = u"ann";
    ctx_.password = u"pw";
    ctx_.server = u"backup";
    ctx_.computer_name = u"PC1";
    ctx_.domain_name = u"WORKGRP";
    ctx_.text = EnglishText;
    ui_.destination = DestinationChoice{1, u"C:\\Out", true};
  }
  void Select(const std::u16string& path, const std::string& data, const std::u16string& date = u"20240101000000") {
    server_.files[path].data = data;
    entries_.push_back({path + u":" + date, static_cast<int64_t>(data.size()), 0});
    ++count_;
  }
  RestoreOutcome Run() {
    std::sort(entries_.begin(), entries_.end(), [](auto& a, auto& b) { return a.key < b.key; });
    return RunRestore(entries_, count_, ctx_, panel_, server_, ui_, shares_);
  }
  std::string Read(const std::string& below_c) {
    std::ifstream in(home_.DriveC() + "/" + below_c, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  bexa::testing::TempHome home_;
  RestoreContext ctx_;
  RestorePanelState panel_;
  FakeServer server_;
  ScriptedUi ui_;
  ShareAvailability shares_;
  std::vector<SelectionEntry> entries_;
  int64_t count_ = 0;
};

TEST_F(RestoreEngineTest, RestoresEveryFileAndSummarises) {
  Select(u"\\\\PC1\\C\\Docs\\a.txt", "alpha");
  Select(u"\\\\PC1\\C\\Docs\\b.txt", "bravo-bravo");
  Select(u"\\\\PC1\\D\\empty.txt", "");
  entries_.push_back({u"\\\\PC1\\C\\Docs", -1, 0});
  RestoreOutcome out = Run();
  EXPECT_TRUE(out.started);
  EXPECT_EQ(out.restored, 3);
  EXPECT_EQ(out.non_file, 1);
  EXPECT_EQ(Read("Out/PC1/C/Docs/a.txt"), "alpha");
  EXPECT_EQ(Read("Out/PC1/C/Docs/b.txt"), "bravo-bravo");
  EXPECT_EQ(Read("Out/PC1/D/empty.txt"), "");
  EXPECT_EQ(ui_.status_text, u"The restore operation completed successfully.");
  EXPECT_FALSE(ui_.flash);
  EXPECT_NE(panel_.summary.find(u"Files actually restored: 3\r\n"), std::u16string::npos);
  EXPECT_NE(panel_.summary.find(u"Files requested for restore: 3\r\n"), std::u16string::npos);
  // One volume list request for both volumes, under the domain name.
  EXPECT_EQ(server_.log[1], u"RVLR WORKGRP:\\\\PC1\\C,WORKGRP:\\\\PC1\\D keys pw");
  EXPECT_EQ(server_.log[2], u"RFLR WORKGRP\\PC1\\C");
  EXPECT_EQ(server_.log.back(), u"close");
  EXPECT_EQ(panel_.busy, 0);
}

TEST_F(RestoreEngineTest, ServerErrorForAFileIsLoggedAndTheRunGoesOn) {
  Select(u"\\\\PC1\\C\\a.txt", "a");
  Select(u"\\\\PC1\\C\\b.txt", "b");
  server_.files[u"\\\\PC1\\C\\a.txt"].sfil_status = 5;
  RestoreOutcome out = Run();
  EXPECT_EQ(out.restored, 1);
  EXPECT_EQ(ui_.status_text,
            u"The restore operation was only partially successful.  1 of 2 files were restored properly.");
  EXPECT_TRUE(ui_.flash);
  EXPECT_NE(panel_.summary.find(u" - The following file could not be restored because of an error on the "
                                u"server: \\\\PC1\\C\\a.txt:20240101000000"),
            std::u16string::npos);
}

TEST_F(RestoreEngineTest, DeclinedOverwritesEndWith1154) {
  Select(u"\\\\PC1\\C\\a.txt", "new");
  bexa::testing::WriteFile(home_.DriveC() + "/Out/PC1/C/a.txt", "old");
  ui_.replace_answers = {kNo};
  RestoreOutcome out = Run();
  EXPECT_EQ(out.skipped, 1);
  EXPECT_EQ(Read("Out/PC1/C/a.txt"), "old");
  EXPECT_EQ(ui_.status_text, u"There were no files restored because there were original files which were "
                             u"requested to not be overwritten.");
  EXPECT_NE(std::find(server_.log.begin(), server_.log.end(), u"FSTS 3"), server_.log.end());
}

TEST_F(RestoreEngineTest, FailedTransferAbortsTheRestAndKeepsTheOriginal) {
  Select(u"\\\\PC1\\C\\a.txt", "0123456789");
  Select(u"\\\\PC1\\C\\b.txt", "b");
  bexa::testing::WriteFile(home_.DriveC() + "/Out/PC1/C/a.txt", "original");
  ui_.replace_answers = {kYesToAll};
  server_.drop_after_first_block = true;
  RestoreOutcome out = Run();
  EXPECT_EQ(out.restored, 0);
  EXPECT_EQ(Read("Out/PC1/C/a.txt"), "original");
  EXPECT_NE(std::find(server_.log.begin(), server_.log.end(), u"ABRT 0"), server_.log.end());
  EXPECT_EQ(ui_.status_text, u"There were no files successfully restored.");
}

TEST_F(RestoreEngineTest, CancelInTheDestinationDialog) {
  Select(u"\\\\PC1\\C\\a.txt", "a");
  ui_.destination.reset();
  RestoreOutcome out = Run();
  EXPECT_TRUE(out.cancelled);
  EXPECT_FALSE(ui_.status_shown);  // no final message
  EXPECT_EQ(ui_.errors, std::vector<std::u16string>{u"102"});
  EXPECT_NE(panel_.summary.find(u"Errors:"), std::u16string::npos);  // the cancel line
  EXPECT_EQ(std::count(server_.log.begin(), server_.log.end(), u"logon"), 0);
  EXPECT_EQ(server_.log.front(), u"CNCL");
}

TEST_F(RestoreEngineTest, SecretKeyLoopAndRefusedVolume) {
  Select(u"\\\\PC1\\C\\a.txt", "a");
  Select(u"\\\\PC1\\D\\b.txt", "b");
  server_.volume_answers[u"WORKGRP:\\\\PC1\\C"] = {2, u"the hint"};
  server_.volume_answers[u"WORKGRP:\\\\PC1\\D"] = {1, u""};
  ui_.secret_keys = {std::u16string(), std::u16string(u"zzz")};  // empty asks again
  RestoreOutcome out = Run();
  EXPECT_EQ(out.restored, 1);
  EXPECT_EQ(panel_.key_list, (std::vector<std::u16string>{u"pw", u"zzz"}));
  EXPECT_EQ(ui_.panel_status.front(),
            u"The files on the following volume could not be restored because of a server error: "
            u"\\\\PC1\\D");
  // The second request names only the volume that needed the key.
  EXPECT_NE(std::find(server_.log.begin(), server_.log.end(), u"RVLR WORKGRP:\\\\PC1\\C keys pw,zzz"),
            server_.log.end());
}

TEST_F(RestoreEngineTest, NothingSelectedStartsNoRun) {
  EXPECT_FALSE(Run().started);
  entries_.push_back({u"\\\\PC1\\C\\Docs", -1, 0});
  EXPECT_FALSE(Run().started);  // folders alone count 0
}

TEST(RestoreEngine, VolumeOfPath) {
  EXPECT_EQ(VolumeOfPath(u"\\\\pc1\\C\\dir\\f:20240101000000"), u"\\\\PC1\\C");
  EXPECT_EQ(VolumeOfPath(u"\\\\PC1\\C:20240101000000"), u"\\\\PC1\\C");
}

}  // namespace
}  // namespace bexa
