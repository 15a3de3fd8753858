#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "loopback.h"
#include "platform/codepage.h"
#include "platform/drives.h"
#include "protocol/protocol_log.h"
#include "protocol/settings.h"
#include "util/exceptions.h"

namespace bexa::protocol {
namespace {

namespace fs = std::filesystem;

// A fresh host folder per test, removed afterwards; the settings file is
// named in it.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("bexa-protocol-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    SettingsFile::Instance().StopWatcher();
    fs::remove_all(dir_);
  }
  void WriteIni(const std::string& text) {
    std::ofstream(dir_ / SettingsFile::kFileName, std::ios::trunc) << text;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_F(SettingsTest, DefaultsWithoutAFileAndNoWatcher) {
  SettingsFile::Instance().Name(dir_.string());
  EXPECT_FALSE(SettingsFile::Instance().Watching());
  ProtocolSettings& s = Settings();
  EXPECT_EQ(s.use_protocol_log.Value(), 0);
  EXPECT_EQ(s.protocol_log_directory.Value(), u"c:\\temp");
  EXPECT_EQ(s.cache_log_entries.Value(), 5);
  EXPECT_EQ(s.max_receive_buffer_size.Value(), 262188);
  EXPECT_EQ(s.protocol_maximum_path_length.Value(), 260);
  EXPECT_EQ(s.client_socket_upload_cache.Value(), 262144);
  EXPECT_EQ(s.data_transfer_upload_cache.Value(), 131072);
  EXPECT_EQ(s.client_socket_upload_cache.description(), u"Cache size for writting to protocol");
  // Without a file no log is written.
  ProtocolConnection connection;
  EXPECT_EQ(connection.log(), nullptr);
}

TEST_F(SettingsTest, ValuesAreReadLazilyAndReReadWhenTheFileChanges) {
  WriteIni("[Protocol]\nMaxReceiveBufferSize=1000\nProtocolLogDirectoryPath=  d:\\logs  \n"
           "[ClientSocket]\nUploadCache=77\n");
  SettingsFile::Instance().Name(dir_.string());
  EXPECT_TRUE(SettingsFile::Instance().Watching());
  ProtocolSettings& s = Settings();
  EXPECT_FALSE(s.max_receive_buffer_size.loaded());
  EXPECT_EQ(s.max_receive_buffer_size.Value(), 1000);
  EXPECT_EQ(s.protocol_log_directory.Value(), u"d:\\logs");
  EXPECT_EQ(s.data_transfer_upload_cache.Value(), 131072);  // the other section's key

  platform::SleepMs(20);  // a later modification time
  WriteIni("[Protocol]\nMaxReceiveBufferSize=2000\n[ClientSocket]\nUploadCache=88\n");
  const uint64_t until = platform::TickCountMs() + 5000;
  while (s.max_receive_buffer_size.Value() != 2000 && platform::TickCountMs() < until) {
    platform::SleepMs(50);
  }
  EXPECT_EQ(s.max_receive_buffer_size.Value(), 2000);
  EXPECT_EQ(s.protocol_log_directory.Value(), u"c:\\temp");  // key gone: the default
  // A setting never read is not read by the watcher either.
  EXPECT_FALSE(s.client_socket_upload_cache.loaded());
  EXPECT_EQ(s.client_socket_upload_cache.Value(), 88);
}

TEST_F(SettingsTest, TextSettingsHoldAtMost260Characters) {
  WriteIni("[Protocol]\nProtocolLogDirectoryPath=" + std::string(300, 'x') + "\n");
  SettingsFile::Instance().Name(dir_.string());
  EXPECT_EQ(Settings().protocol_log_directory.Value(), std::u16string(260, u'x'));
}

TEST(ProtocolLogFormat, FileNameAndLines) {
  struct Case {
    DateTime when;
    std::u16string name;
  } cases[] = {
      {DateTime::FromParts(2007, 9, 4, 13, 35, 40),
       u"\\PROTOCOL 20070904133540 Sep 04, 2007 01.35 PM.txt"},
      {DateTime::FromParts(2010, 1, 31, 0, 5, 9),
       u"\\PROTOCOL 20100131000509 Jan 31, 2010 12.05 AM.txt"},
      {DateTime::FromParts(2010, 12, 1, 12, 0, 0),
       u"\\PROTOCOL 20101201120000 Dec 01, 2010 12.00 PM.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProtocolLog::FileNameFor(c.when), c.name);
  EXPECT_EQ(ProtocolLog::LineFor(DateTime::FromParts(2007, 9, 4, 13, 35, 40), u"Sending PDU: QUIT (Quit), Status: 0"),
            u"[04-Sep-2007:13:35:40] Sending PDU: QUIT (Quit), Status: 0");
}

TEST_F(SettingsTest, ConnectionLogCreatesItsFolderAndWritesEveryLine) {
  const fs::path logs = dir_ / "deep" / "logs";
  const std::string folder = platform::WideToUtf8(platform::WindowsPathOf(logs.string()));
  WriteIni("[Protocol]\nUseProtocolLog=1\nCacheLogEntries=0\nProtocolLogDirectoryPath=" + folder +
           "\n");
  SettingsFile::Instance().Name(dir_.string());
  auto options = testing::TestOptions();
  options.allow_log = true;
  testing::LoopbackPair pair(options);
  ASSERT_NE(pair.client->log(), nullptr);
  ASSERT_TRUE(pair.client->log()->open());
  ASSERT_TRUE(fs::is_directory(logs));

  ASSERT_EQ(pair.client->SendQuit(), kStatusOk);
  int type;
  ASSERT_EQ(pair.peer->SendCancelRequest(), kStatusOk);
  ASSERT_EQ(pair.client->Peek(type), kStatusOk);
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  pair.peer->Close();
  EXPECT_EQ(pair.client->Receive(type), kStatusReceiveFailed);

  ASSERT_EQ(std::distance(fs::directory_iterator(logs), fs::directory_iterator()), 1);
  std::string text;
  for (const auto& e : fs::directory_iterator(logs)) {
    const std::string name = e.path().filename().string();
    EXPECT_EQ(name.rfind("PROTOCOL ", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".txt");
    text += Read(e.path());
  }
  // Every line is flushed at once with CacheLogEntries=0.
  for (const char* line : {"] Sending PDU: QUIT (Quit), Status: 0\r\n",
                           "] Receving PDU: CNCL (Cancel request)\r\n",
                           "] Peek PDU: CNCL (Cancel request), Status: 0\r\n",
                           "] Receiving PDU: ReceiveProtMsg error\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

TEST_F(SettingsTest, LinesAreFlushedAfterCacheLogEntriesAndTheSameSecondAppends) {
  const std::u16string folder = platform::WindowsPathOf(dir_.string());
  const DateTime when = DateTime::FromParts(2007, 9, 4, 13, 35, 40);
  const fs::path file = dir_ / "PROTOCOL 20070904133540 Sep 04, 2007 01.35 PM.txt";
  {
    ProtocolLog log(folder, 5, when);
    ASSERT_TRUE(log.open());
    for (int i = 0; i < 5; ++i) log.WriteLine(u"line", when);
    EXPECT_EQ(Read(file), "");  // five lines cached
    log.WriteLine(u"sixth", when);
    EXPECT_EQ(Read(file).size(), 6 * std::string("[04-Sep-2007:13:35:40] line\r\n").size() + 1);
  }
  {
    ProtocolLog again(folder, 5, when);
    again.WriteLine(u"appended", when);
  }
  const std::string all = Read(file);
  const std::string last = "[04-Sep-2007:13:35:40] appended\r\n";
  EXPECT_EQ(all.substr(all.size() - last.size()), last);
  EXPECT_EQ(all.rfind("[04-Sep-2007:13:35:40] line\r\n", 0), 0u);
}

TEST_F(SettingsTest, AnEmptyLogFolderEndsTheCreationOfTheConnection) {
  WriteIni("[Protocol]\nUseProtocolLog=1\nProtocolLogDirectoryPath=\n");
  SettingsFile::Instance().Name(dir_.string());
  EXPECT_THROW(ProtocolConnection connection, FileSystemException);
}

}  // namespace
}  // namespace bexa::protocol
