#include "web/request_guard.h"

#include <gtest/gtest.h>

namespace bexa::web {
namespace {

constexpr uint16_t kPort = 40123;
constexpr char kToken[] = "0123456789abcdef";

TEST(RequestGuardTest, Cases) {
  struct Case {
    const char* host;
    const char* origin;
    const char* cookie;
    const char* target;
    bool upgrade;
    Verdict verdict;
  } cases[] = {
      {"127.0.0.1:40123", "", "bexa_40123=0123456789abcdef", "/", false, Verdict::kAllow},
      {"localhost:40123", "http://localhost:40123", "a=b; bexa_40123=0123456789abcdef", "/app.js", false, Verdict::kAllow},
      {"127.0.0.1:40123", "", "", "/?t=0123456789abcdef", false, Verdict::kAllow},
      {"127.0.0.1:40123", "", "", "/", false, Verdict::kNoToken},
      {"127.0.0.1:40123", "", "bexa_40123=0123456789abcdee", "/", false, Verdict::kNoToken},
      {"127.0.0.1:40123", "", "bexa_40124=0123456789abcdef", "/", false, Verdict::kNoToken},
      {"127.0.0.1:40123", "", "", "/?t=0123456789abcde", false, Verdict::kNoToken},
      // DNS rebinding: a foreign name that resolves to loopback.
      {"evil.example:40123", "", "bexa_40123=0123456789abcdef", "/", false, Verdict::kBadHost},
      {"127.0.0.1:40124", "", "bexa_40123=0123456789abcdef", "/", false, Verdict::kBadHost},
      {"", "", "bexa_40123=0123456789abcdef", "/", false, Verdict::kBadHost},
      // Cross-site requests.
      {"127.0.0.1:40123", "http://evil.example", "bexa_40123=0123456789abcdef", "/", false, Verdict::kBadOrigin},
      {"127.0.0.1:40123", "null", "bexa_40123=0123456789abcdef", "/", false, Verdict::kBadOrigin},
      {"127.0.0.1:40123", "http://127.0.0.1:40123", "bexa_40123=0123456789abcdef", "/ws", true, Verdict::kAllow},
      // An upgrade must name the page it comes from.
      {"127.0.0.1:40123", "", "bexa_40123=0123456789abcdef", "/ws", true, Verdict::kBadOrigin},
      {"127.0.0.1:40123", "http://127.0.0.1:40123", "", "/ws", true, Verdict::kNoToken},
  };
  for (const Case& c : cases) {
    RequestFacts facts{c.host, c.origin, c.cookie, c.target, c.upgrade};
    EXPECT_EQ(CheckRequest(facts, kToken, kPort), c.verdict) << c.host << " " << c.origin << " " << c.cookie << " " << c.target;
  }
}

TEST(RequestGuardTest, AnEmptyTokenAdmitsNobody) {
  RequestFacts facts{"127.0.0.1:40123", "", "bexa_40123=", "/?t=", false};
  EXPECT_EQ(CheckRequest(facts, "", kPort), Verdict::kNoToken);
}

TEST(RequestGuardTest, TokensAreLongAndFresh) {
  std::string a = NewToken(), b = NewToken();
  EXPECT_EQ(a.size(), 64u);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace bexa::web
