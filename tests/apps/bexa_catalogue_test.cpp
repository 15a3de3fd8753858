// bexa-catalogue run as a process on catalogue files made by the archive
// writer.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "catalogue/archive_writer.h"
#include "catalogue/catalogue_file.h"
#include "tests/support/program.h"
#include "tests/support/temp_home.h"

namespace bexa {
namespace {

DateTime At(int month, int day, int hour = 12) { return DateTime::FromParts(2024, month, day, hour, 0, 0); }

// Three entries whose keys sort differently by UTF-16 code units (the
// surrogates of U+1F600 come before U+FF5E) than by code points.
Catalogue SampleCatalogue() {
  Catalogue c;
  auto b = std::make_unique<CRolloutFile>();
  b->AddVersion(-5, At(1, 2, 3), At(1, 1));
  b->AddVersion(int64_t{1} << 40, At(2, 1), At(1, 31));
  b->SetExtraDate(DateTime::Invalid());
  b->set_first_value(7);
  b->set_second_value(0xFFFFFFFFu);
  c[u"\\\\PC1\\C\\b.txt"] = std::move(b);
  auto wide = std::make_unique<CRolloutFile>();
  wide->AddVersion(10, At(3, 1), At(2, 28));
  wide->SetExtraDate(DateTime::FromParts(2030, 1, 2, 3, 4, 5));
  c[u"\\\\PC1\\C\\\uFF5E.txt"] = std::move(wide);
  auto face = std::make_unique<CRolloutFile>();
  face->AddVersion(0, At(4, 1), At(3, 31));
  face->SetExtraDateNull();
  c[u"\\\\PC1\\C\\\U0001F600.txt"] = std::move(face);
  return c;
}

std::string Bytes(Catalogue& c) {
  ArchiveWriter w;
  WriteCatalogue(w, c);
  return w.bytes();
}

std::string DateBytes(const DateTime& d) {
  ArchiveWriter w;
  w.WriteDateTime(d);
  return w.bytes();
}

class CatalogueTool : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) { return testing::WriteFile(home_.dir() + "/filelist.vdb", bytes); }
  int Dump(const std::string& args, std::string& out) {
    return testing::RunProgram(std::string(BEXA_CATALOGUE_PROGRAM) + " dump " + args + " 2>/dev/null", out);
  }
  testing::TempHome home_;
};

TEST_F(CatalogueTool, PrintsOneLinePerVersion) {
  Catalogue c = SampleCatalogue();
  const std::string file = Write(Bytes(c));
  std::string out;
  ASSERT_EQ(Dump(file, out), 0) << out;
  EXPECT_EQ(out,
            "\\\\PC1\\C\\b.txt\tbackup 20240102030000\tmodified 20240101120000\tsize -5\n"
            "\\\\PC1\\C\\b.txt\tbackup 20240201120000\tmodified 20240131120000\tsize 1099511627776\n"
            "\\\\PC1\\C\\\xF0\x9F\x98\x80.txt\tbackup 20240401120000\tmodified 20240331120000\tsize 0\n"
            "\\\\PC1\\C\\\xEF\xBD\x9E.txt\tbackup 20240301120000\tmodified 20240228120000\tsize 10\n"
            "3 entries in the file, 3 kept\n");
}

TEST_F(CatalogueTool, JsonHasEveryFieldInKeyOrder) {
  Catalogue c = SampleCatalogue();
  const std::string file = Write(Bytes(c));
  std::string out;
  ASSERT_EQ(Dump(file + " --json", out), 0) << out;
  const auto json = nlohmann::json::parse(out);
  EXPECT_EQ(json["load_ok"], true);
  const auto& entries = json["entries"];
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0]["key"], "\\\\PC1\\C\\b.txt");
  EXPECT_EQ(entries[1]["key"], "\\\\PC1\\C\\\xF0\x9F\x98\x80.txt");
  EXPECT_EQ(entries[2]["key"], "\\\\PC1\\C\\\xEF\xBD\x9E.txt");
  EXPECT_EQ(entries[0], nlohmann::json::parse(R"({
      "key": "\\\\PC1\\C\\b.txt", "format_version": 4, "first": 7, "present": 1,
      "extra_date": null, "second": 4294967295,
      "backup_dates": ["20240102030000", "20240201120000"],
      "modified_dates": ["20240101120000", "20240131120000"],
      "sizes": [-5, 1099511627776]})"));
  EXPECT_EQ(entries[1]["extra_date"], nullptr);  // null
  EXPECT_EQ(entries[2]["extra_date"], "20300102030405");
  EXPECT_TRUE(entries[0]["format_version"].is_number_unsigned());
  EXPECT_TRUE(entries[0]["sizes"][0].is_number_integer());
}

// The writer sorts each date list; a file whose backup dates are out of
// order (made by swapping two of them) is shown as it was read.
TEST_F(CatalogueTool, DateListsInTheOrderRead) {
  Catalogue c = SampleCatalogue();
  std::string bytes = Bytes(c);
  const std::string first = DateBytes(At(1, 2, 3)), second = DateBytes(At(2, 1));
  const size_t a = bytes.find(first), b = bytes.find(second);
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(b, std::string::npos);
  bytes.replace(a, first.size(), second);
  bytes.replace(b, second.size(), first);
  std::string out;
  ASSERT_EQ(Dump(Write(bytes) + " --json", out), 0) << out;
  const auto json = nlohmann::json::parse(out);
  EXPECT_EQ(json["entries"][0]["backup_dates"], nlohmann::json::parse(R"(["20240201120000", "20240102030000"])"));
}

TEST_F(CatalogueTool, SaysWhereADamagedFileStopped) {
  Catalogue c = SampleCatalogue();
  const std::string bytes = Bytes(c);
  const std::string file = Write(bytes.substr(0, bytes.size() - 10));
  std::string out;
  EXPECT_EQ(Dump(file, out), 0) << out;
  EXPECT_NE(out.find("damaged file: reading stopped near byte "), std::string::npos) << out;
  EXPECT_NE(out.find(" in entry 3 of 3; 2 entries kept\n"), std::string::npos) << out;
  EXPECT_EQ(Dump(file + " --json", out), 0) << out;
  const auto json = nlohmann::json::parse(out);
  EXPECT_EQ(json["load_ok"], true);
  EXPECT_EQ(json["entries"].size(), 2u);
}

TEST_F(CatalogueTool, AFailedLoadExitsWithOne) {
  const std::string missing = home_.dir() + "/none/filelist.vdb";
  std::string out;
  EXPECT_EQ(Dump(missing, out), 1);
  EXPECT_NE(out.find("load failed"), std::string::npos) << out;
  EXPECT_EQ(Dump(missing + " --json", out), 1);
  EXPECT_EQ(nlohmann::json::parse(out), nlohmann::json::parse(R"({"load_ok": false, "entries": []})"));
}

}  // namespace
}  // namespace bexa
