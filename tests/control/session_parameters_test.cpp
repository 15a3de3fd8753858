#include "control/session_parameters.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/home.h"
#include "tests/support/temp_home.h"
#include "util/text.h"

namespace bexa {
namespace {

std::string Base64(const std::string& bytes) {
  static const char* kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
  }
  if (i + 1 == bytes.size()) {
    uint32_t v = uint8_t(bytes[i]) << 16;
    out += std::string{kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == bytes.size()) {
    uint32_t v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8);
    out += std::string{kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], '='};
  }
  return out;
}

// A cookie file of nine-line records; `value` is written as it stands.
std::string CookieRecord(const std::string& name, const std::string& value,
                         const std::string& end = "*") {
  return name + "\n" + value + "\nretroviaweb.example/\n1024\n1\n2\n3\n4\n" + end + "\n";
}

TEST(CookieDecoding, UrlRowsRunInOrder) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"%253C", u"<"},  // "%25" first, then "%3C"
      {u"a+b%2Bc", u"a b c"},  // "%2B" becomes "+", then every "+" a space
      {u"%0A%0D%0a%0d", u"\n\n"},
      {u"%40%5c%3d%22%27%60", u"@\\=\"'`"},
      {u"%41%zz", u"%41%zz"},  // other sequences stay
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDecodeCookieValue(c.in), c.out);
}

TEST(CookieDecoding, Base64StopsAtForeignCharactersAndSkipsPadding) {
  EXPECT_EQ(DecodeCookieSettings(W(Base64("kvo_usr=ann"))), u"kvo_usr=ann");
  std::string unpadded = Base64("ab");
  EXPECT_EQ(unpadded, "YWI=");
  EXPECT_EQ(DecodeCookieSettings(u"YWI"), u"ab");
  EXPECT_EQ(DecodeCookieSettings(u"Y=W=I="), u"ab");
  EXPECT_EQ(DecodeCookieSettings(u"YWJj ZGVm"), u"abc");  // a space ends it
  EXPECT_EQ(DecodeCookieSettings(W(Base64("\xff\x80"))), u"\u00ff\u0080");
  EXPECT_EQ(DecodeCookieSettings(W(Base64(std::string(400, 'x')))).size(), 259u);
}

TEST(CookieDecoding, LookUpSettings) {
  const std::u16string s = u"&&kvo_svr==host&kvo_usr=ann=kvo_pwd=pw&lang&kvo_svr=other";
  EXPECT_EQ(LookUpSetting(s, u"kvo_svr"), u"host");
  EXPECT_EQ(LookUpSetting(s, u"kvo_pwd"), u"pw");  // the third part is a key again
  EXPECT_EQ(LookUpSetting(s, u"lang"), u"");
  EXPECT_EQ(LookUpSetting(s, u"KVO_SVR"), std::nullopt);
  EXPECT_EQ(LookUpSetting(s, u"ann"), std::nullopt);  // a value is not a key
}

TEST(LanguageCodes, FirstCodeInTableOrder) {
  struct Case {
    const char16_t* value;
    int32_t before, after;
  } cases[] = {{u"eng-us", 3000, 0}, {u"gll", 0, 4000},  {u"CATESP", 0, 1000},
               {u"euq", 0, 3000},    {u"xx", 2000, 2000}, {u"", 1000, 1000}};
  for (const auto& c : cases) {
    int32_t offset = c.before;
    ApplyLanguageCode(c.value, offset);
    EXPECT_EQ(offset, c.after) << WideToUtf8(c.value);
  }
}

class SourcesTest : public ::testing::Test, public ManualSettingsPrompt {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(platform::CookiesFolder());
    std::filesystem::create_directories(platform::WindowsDirectory());
  }
  std::string CookiePath() const { return platform::CookiesFolder() + "/ann@retroviaweb[1].txt"; }
  void WriteCookie(const std::string& contents) {
    std::ofstream(CookiePath(), std::ios::binary) << contents;
  }
  std::string HandoffHostPath() const { return platform::WindowsDirectory() + "/wbx.txt"; }
  void WriteHandoff(const std::string& contents) {
    std::ofstream(HandoffHostPath(), std::ios::binary) << contents;
  }
  std::optional<ManualSettings> Ask(int32_t) override {
    ++asked_;
    return answer_;
  }

  bexa::testing::TempHome home_;
  std::optional<ManualSettings> answer_;
  int asked_ = 0;
  SessionParameters params_;
};

TEST_F(SourcesTest, CompleteCookieSetsValuesAndIsDeletedHandoffUntouched) {
  WriteCookie(CookieRecord("other", "x") +
              CookieRecord("tavkvo", Base64("kvo_svr=backup.example&kvo_usr=ann&kvo_pwd=s3cret"
                                            "&lang=esp&FW_svr=fw&FW_port=3128&FW_socks=4")));
  WriteHandoff("[Retrovia]\r\nUser=bob\r\n");
  EXPECT_EQ(GatherSessionParameters(params_, *this), GatherResult::kGoOn);
  EXPECT_EQ(params_.server, u"backup.example");
  EXPECT_EQ(params_.user, u"ann");
  EXPECT_EQ(params_.password, u"s3cret");
  EXPECT_EQ(params_.secret_key, u"s3cret");
  EXPECT_EQ(params_.language_offset, 1000);
  EXPECT_TRUE(params_.firewall_enabled);
  EXPECT_EQ(params_.firewall_server, u"fw");
  EXPECT_EQ(params_.firewall_port, 3128);
  EXPECT_EQ(params_.firewall_socks_version, 4);
  EXPECT_EQ(params_.port, 308);
  EXPECT_EQ(asked_, 0);
  EXPECT_FALSE(std::filesystem::exists(CookiePath()));
  EXPECT_TRUE(std::filesystem::exists(HandoffHostPath()));
}

TEST_F(SourcesTest, CookieWithoutFirewallServerIgnoresItsPort) {
  WriteCookie(CookieRecord("tavkvo", Base64("kvo_svr=s&kvo_usr=u&kvo_pwd=p&FW_port=1")));
  params_.language_offset = 2000;
  EXPECT_TRUE(ReadCookieSource(params_));
  EXPECT_FALSE(params_.firewall_enabled);
  EXPECT_EQ(params_.firewall_port, 1080);
  EXPECT_EQ(params_.language_offset, 2000);  // no "lang": unchanged
}

TEST_F(SourcesTest, IncompleteCookieFallsBackToTheHandoffFile) {
  WriteCookie(CookieRecord("tavkvo", Base64("kvo_svr=s&kvo_usr=u")));
  WriteHandoff("[Retrovia]\r\nLanguage=gll\r\nServer=srv\r\nPort=x12\r\nUser=bob\r\n"
               "Password=pw\r\nFW_Enable=0\r\nFW_Server=ignored\r\n");
  EXPECT_EQ(GatherSessionParameters(params_, *this), GatherResult::kGoOn);
  EXPECT_EQ(params_.user, u"bob");
  EXPECT_EQ(params_.server, u"srv");
  EXPECT_EQ(params_.port, 0);  // a port that starts with a letter
  EXPECT_EQ(params_.language_offset, 4000);
  EXPECT_EQ(params_.secret_key, u"pw");
  EXPECT_EQ(params_.firewall_server, u"");
  EXPECT_TRUE(std::filesystem::exists(CookiePath()));  // kept: not a complete read
  EXPECT_FALSE(std::filesystem::exists(HandoffHostPath()));
}

TEST_F(SourcesTest, UnreadableCookieSkipsHandoffAndAsks) {
  WriteCookie(CookieRecord("tavkvo", Base64("kvo_svr=s&kvo_usr=u&kvo_pwd=p"), "not a star"));
  WriteHandoff("[Retrovia]\r\nUser=bob\r\n");
  answer_ = ManualSettings{u"carl", u"pw", u"host"};
  EXPECT_EQ(GatherSessionParameters(params_, *this), GatherResult::kGoOn);
  EXPECT_EQ(asked_, 1);
  EXPECT_EQ(params_.user, u"carl");
  EXPECT_EQ(params_.secret_key, u"pw");
  EXPECT_TRUE(std::filesystem::exists(HandoffHostPath()));
}

TEST_F(SourcesTest, NothingAnywhereAndCancelStops) {
  EXPECT_EQ(GatherSessionParameters(params_, *this), GatherResult::kStop);
  EXPECT_EQ(asked_, 1);
}

TEST_F(SourcesTest, ChkValsWritesThePrivateHandoffFile) {
  const std::u16string path = HandoffFilePath();
  EXPECT_EQ(WriteHandoffFile(u"lng=esp;svr=backup;prt=308;usr=ann;pwd=x y;", path), 0);
  std::ifstream in(HandoffHostPath(), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(),
            "[Retrovia]\r\nLanguage=esp\r\nServer=backup\r\nPort=308\r\nUser=ann\r\nPassword=x y\r\n");
  struct stat st;
  ASSERT_EQ(::stat(HandoffHostPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  ReadHandoffFile(path, params_);
  EXPECT_EQ(params_.user, u"ann");
  EXPECT_EQ(params_.language_offset, 1000);
  EXPECT_FALSE(std::filesystem::exists(HandoffHostPath()));
}

TEST_F(SourcesTest, ChkValsKeySearchRules) {
  const std::u16string path = HandoffFilePath();
  // No "lng": the search stops there, nothing is written.
  EXPECT_EQ(WriteHandoffFile(u"svr=a;prt=1;usr=u;pwd=p;", path), 1);
  EXPECT_FALSE(std::filesystem::exists(HandoffHostPath()));
  EXPECT_EQ(WriteHandoffFile(u"lng=eng;svr=;prt=1;usr=u;pwd=p;", path), 1);
  // A user value holding "pwd": the password is read after the next "=".
  EXPECT_EQ(WriteHandoffFile(u"lng=eng;svr=s;prt=1;usr=a pwd=b;pwd=real;", path), 0);
  ReadHandoffFile(path, params_);
  EXPECT_EQ(params_.user, u"a pwd=b");
  EXPECT_EQ(params_.password, u"b");
}

}  // namespace
}  // namespace bexa
