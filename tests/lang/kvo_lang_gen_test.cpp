// The string-file reader of the build: a damaged file stops the build with
// the file, the line and the reason.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace bexa::lang {
namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

// A valid string file of block: every id with a short text.
Lines ValidBlock(int block) {
  Lines lines = {"# block " + std::to_string(block)};
  for (int n = 0; n <= 193; ++n) {
    if (n != 100) lines.push_back(std::to_string(block * 1000 + n) + " \"t" + std::to_string(n) + "\"");
  }
  return lines;
}

class KvoLangGen : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kvo_lang_gen_test." + std::to_string(getpid()));
    fs::create_directories(dir_);
    for (int block = 1; block <= 5; ++block) blocks_.push_back(ValidBlock(block));
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes the five files, runs the generator and returns its exit status
  // and output.
  int Run(std::string& output) {
    std::string command = std::string(KVO_LANG_GEN_FILE) + " tables " + (dir_ / "out.cpp").string();
    for (size_t b = 0; b < blocks_.size(); ++b) {
      const fs::path file = dir_ / ("block" + std::to_string(b + 1) + ".txt");
      std::ofstream out(file, std::ios::binary);
      for (const std::string& line : blocks_[b]) out << line << "\n";
      command += " " + file.string();
    }
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::array<char, 512> chunk;
    output.clear();
    while (fgets(chunk.data(), chunk.size(), pipe) != nullptr) output += chunk.data();
    return pclose(pipe);
  }

  fs::path dir_;
  std::vector<Lines> blocks_;
};

TEST_F(KvoLangGen, AcceptsValidFiles) {
  std::string output;
  EXPECT_EQ(Run(output), 0) << output;
  EXPECT_TRUE(fs::exists(dir_ / "out.cpp"));
}

TEST_F(KvoLangGen, RejectsDamagedFiles) {
  struct Case {
    const char* name;
    std::function<void(Lines&)> damage;  // applied to block 3
    const char* reason;
  } cases[] = {
      {"missing id", [](Lines& l) { l.erase(l.begin() + 51); }, "block3.txt: id 3050 is missing"},
      {"duplicate", [](Lines& l) { l.push_back("3050 \"again\""); }, ":195: id 3050 appears twice"},
      {"b100", [](Lines& l) { l.push_back("3100 \"x\""); }, "id 3100 has no text of its own"},
      {"other block", [](Lines& l) { l.push_back("2001 \"x\""); }, "id 2001 is not in block 3"},
      {"past b193", [](Lines& l) { l.push_back("3194 \"x\""); }, "id 3194 is not in block 3"},
      {"unknown escape", [](Lines& l) { l[1] = "3000 \"a\\tb\""; }, ":2: unknown escape"},
      {"no closing quote", [](Lines& l) { l[1] = "3000 \"abc"; }, ":2: text without its closing quote"},
      {"text after quote", [](Lines& l) { l[1] = "3000 \"abc\" x"; }, ":2: unexpected text after"},
      {"no quotes", [](Lines& l) { l[1] = "3000 abc"; }, ":2: expected a text in double quotes"},
      {"bad UTF-8", [](Lines& l) { l[1] = "3000 \"\xc3\""; }, ":2: truncated UTF-8"},
      {"overlong UTF-8", [](Lines& l) { l[1] = "3000 \"\xc0\xaf\""; }, ":2: invalid UTF-8"},
      {"too long", [](Lines& l) { l[1] = "3000 \"" + std::string(2048, 'x') + "\""; },
       ":2: text longer than"},
  };
  for (const Case& c : cases) {
    blocks_[2] = ValidBlock(3);
    c.damage(blocks_[2]);
    std::string output;
    EXPECT_NE(Run(output), 0) << c.name;
    EXPECT_NE(output.find(c.reason), std::string::npos) << c.name << ": " << output;
  }
}

TEST_F(KvoLangGen, LongestTextThatFitsIsAccepted) {
  // 2047 characters, two of them from one escape each, and a comment after.
  blocks_[2][1] = "3000 \"\\n\\\"" + std::string(2045, 'x') + "\"  # full";
  std::string output;
  EXPECT_EQ(Run(output), 0) << output;
}

}  // namespace
}  // namespace bexa::lang
