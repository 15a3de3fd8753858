#include "restore/summary.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <map>

#include "tests/support/temp_home.h"

namespace bexa {
namespace {

// The English texts the summary uses.
std::u16string EnglishText(int id) {
  static const std::map<int, std::u16string> kTexts = {
      {1170, u"Restore started at %s"},
      {1171, u"SUMMARY FOR RESTORE:"},
      {1172, u"Backup Client: v%s, User: %s"},
      {1173, u"Backup Server: %s, Port: %s"},
      {1175, u"Firewall/proxy: %s, Port: %s"},
      {1176, u"Total no. of warnings: %s"},
      {1177, u"Total no. of errors: %s"},
      {1178, u"Files requested for restore: %s"},
      {1179, u"Files actually restored: %s"},
      {1180, u"Total no. of skipped files: %s"},
      {1181, u"Restore data size before compression: %.4f megabytes"},
      {1182, u"Restore data size after compression: %.4f megabytes"},
      {1183, u"Disk space usage on server: %.2f megabytes"},
      {1184, u"Total Restore time: %02d:%02d:%02d"},
      {1185, u"Warnings:"},
      {1186, u"Errors:"},
  };
  auto it = kTexts.find(id);
  return it == kTexts.end() ? u"?" : it->second;
}

class SummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    record_.start_time = DateTime::FromParts(2024, 3, 5, 9, 0, 0);
    record_.end_time = DateTime::FromParts(2024, 3, 6, 11, 2, 3);  // 26:02:03 later
    in_.user = u"ann";
    in_.server = u"backup.example";
    in_.requested_count = 12345;
    in_.restored_count = 12000;
  }
  bexa::testing::TempHome home_;
  StatusRecord record_;
  SummaryInputs in_;
};

TEST_F(SummaryTest, LinesInOrderWithoutFirewall) {
  record_.Log(u"info", LineKind::kInformation);
  record_.Log(u"careful", LineKind::kWarning);
  record_.Log(u"broken one", LineKind::kError);
  record_.Log(u"broken two", LineKind::kError);
  record_.skipped_count = 345;
  record_.AddMegabytes(1048576, 524288);
  ASSERT_TRUE(HasSummary(record_));
  EXPECT_EQ(BuildSummary(record_, in_, EnglishText, u","),
            u"Restore started at Tuesday, March 5, 2024 9:00:00 AM\r\n"
            u"\r\n"
            u"SUMMARY FOR RESTORE:\r\n"
            u"Backup Client: v7.0.0.0KVO, User: ann\r\n"
            u"Backup Server: backup.example, Port: 308\r\n"
            u"Total no. of warnings: 1\r\n"
            u"Total no. of errors: 2\r\n"
            u"Files requested for restore: 12,345\r\n"
            u"Files actually restored: 12,000\r\n"
            u"Total no. of skipped files: 345\r\n"
            u"Restore data size before compression: 1.0000 megabytes\r\n"
            u"Restore data size after compression: 0.5000 megabytes\r\n"
            u"Disk space usage on server: 0.00 megabytes\r\n"
            u"Total Restore time: 26:02:03\r\n"
            u"\r\n"
            u"Warnings:\r\n"
            u" - careful\r\n"
            u"\r\n"
            u"Errors:\r\n"
            u" - broken one\r\n"
            u" - broken two\r\n"
            u"\r\n");
}

TEST_F(SummaryTest, FirewallLineOnlyWhenEnabled) {
  record_.Log(u"info", LineKind::kInformation);
  in_.firewall_enabled = true;
  in_.firewall_server = u"proxy";
  in_.firewall_port = 3128;
  const std::u16string s = BuildSummary(record_, in_, EnglishText, u",");
  EXPECT_NE(s.find(u"Backup Server: backup.example, Port: 308\r\nFirewall/proxy: proxy, Port: 3128\r\n"),
            std::u16string::npos);
  EXPECT_EQ(s.find(u"Warnings:"), std::u16string::npos);
}

TEST_F(SummaryTest, WhichRunsGetOne) {
  EXPECT_FALSE(HasSummary(record_));  // no lines
  record_.Log(u"warning only", LineKind::kWarning);
  EXPECT_FALSE(HasSummary(record_));
  record_.Log(u"cancelled", LineKind::kError);
  EXPECT_TRUE(HasSummary(record_));
  record_.start_time = DateTime::Invalid();
  EXPECT_FALSE(HasSummary(record_));
}

TEST(SummaryTexts, ByteCountsAndElapsedTimes) {
  struct Bytes {
    uint64_t n;
    const char16_t* text;
  } bytes[] = {{0, u"0 bytes"},          {1023, u"1,023 bytes"},    {1024, u"1KB"},
               {1048575, u"1,023KB"},    {1048576, u"1.00MB"},      {1073741823, u"1024.00MB"},
               {1073741824, u"1.00GB"}};
  for (const auto& b : bytes) EXPECT_EQ(ByteCountText(b.n, u","), b.text);
  struct Elapsed {
    int64_t s;
    const char16_t* text;
  } times[] = {{0, u"<1 sec"},     {59, u"59 sec"},          {60, u"1 min"},
               {61, u"1 min 1 sec"}, {3600, u"1 hrs"},     {3660, u"1 hrs 1 min"},
               {86400, u"1 days"}, {90000, u"1 days 1 hrs"}, {3599, u"59 min 59 sec"}};
  for (const auto& t : times) EXPECT_EQ(ElapsedText(t.s), t.text) << t.s;
}

TEST(SummaryTexts, FileLogBlock) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  bexa::testing::TempHome home;
  FileLogInputs in;
  in.destination = u"C:\\Out\\a.txt";
  in.compression_percent = 42.5;
  in.bytes_written = 2048;
  in.bytes_received = 1000;
  in.elapsed_seconds = 75;
  in.backup_date = DateTime::FromParts(2024, 1, 2, 3, 4, 5);
  EXPECT_EQ(FileLogBlock(in, u","),
            u"File Restored to: C:\\Out\\a.txt\r\n"
            u"Compressed 42.50% From 2KB to 1,000 bytes - Time: 1 min 15 sec"
            u"  ( Backup: 1/2/2024 3:04 AM - Modified:  )\r\n");
}

}  // namespace
}  // namespace bexa
