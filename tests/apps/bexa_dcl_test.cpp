// bexa-dcl run as a process: compressing and expanding files, and the
// expander's result code as the exit status.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/implode.h"
#include "tests/catalogue/dcl_samples.h"
#include "tests/support/program.h"
#include "tests/support/temp_home.h"

namespace bexa {
namespace {

class DclTool : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return home_.dir() + "/" + name; }
  int Run(const std::string& args) {
    std::string out;
    return testing::RunProgram(std::string(BEXA_DCL_PROGRAM) + " " + args + " 2>/dev/null", out);
  }
  testing::TempHome home_;
};

TEST_F(DclTool, ImplodeThenExplodeGivesTheFileBack) {
  const std::string data = testing::SampleText(30000) + testing::SampleBinary(30000);
  const std::string in = testing::WriteFile(Path("in"), data);
  const struct {
    const char* options;
    char coding;
    char dict_bits;
  } cases[] = {
      {"", 0, 6},
      {"--ascii", 1, 6},
      {"--dict 4", 0, 4},
      {"--ascii --dict 5", 1, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_EQ(Run(std::string("implode ") + c.options + " " + in + " " + Path("packed")), 0);
    const std::string packed = testing::ReadFile(Path("packed"));
    ASSERT_GE(packed.size(), 5u);
    EXPECT_EQ(packed[0], c.coding);
    EXPECT_EQ(packed[1], c.dict_bits);
    EXPECT_LT(packed.size(), data.size());
    ASSERT_EQ(Run("explode " + Path("packed") + " " + Path("out")), 0);
    EXPECT_EQ(testing::ReadFile(Path("out")), data);
  }
}

TEST_F(DclTool, ExitStatusIsTheExpandersResult) {
  const std::string data = testing::SampleText(20000);
  const std::string stream = Implode(data, dcl::kAscii, 6);
  const struct {
    const char* what;
    std::string bytes;
    int status;
  } cases[] = {
      {"dictionary bits 9", std::string("\x00\x09\x00\x00\x00\x00", 6), 1},
      {"literal coding 2", std::string("\x02\x06\x00\x00\x00\x00", 6), 2},
      {"4 bytes only", stream.substr(0, 4), 3},
      {"cut in half", stream.substr(0, stream.size() / 2), 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string in = testing::WriteFile(Path("bad"), c.bytes);
    EXPECT_EQ(Run("explode " + in + " " + Path("out")), c.status);
    const std::string out = testing::ReadFile(Path("out"));
    if (c.status == 4) {
      // What was decoded before the cut is still written.
      EXPECT_GT(out.size(), 0u);
      EXPECT_EQ(out, data.substr(0, out.size()));
    } else {
      EXPECT_EQ(out, "");
    }
  }
}

TEST_F(DclTool, RefusesBadArgumentsAndMissingFiles) {
  const std::string in = testing::WriteFile(Path("in"), "abc");
  EXPECT_EQ(Run("implode --dict 7 " + in + " " + Path("out")), 64);
  EXPECT_EQ(Run("explode --ascii " + in + " " + Path("out")), 64);
  EXPECT_EQ(Run("implode " + in), 64);
  EXPECT_EQ(Run("compress " + in + " " + Path("out")), 64);
  EXPECT_EQ(Run("implode " + Path("missing") + " " + Path("out")), 74);
}

}  // namespace
}  // namespace bexa
