// Encoding and decoding a small PDU allocates only the buffers of its chain.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <cstdlib>
#include <new>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_codec.h"

// Replacement allocation functions that count while asked to; GCC cannot
// tell that they pair malloc and free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

void* operator new(size_t n) {
  if (counting) ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace bexa::protocol {
namespace {

int CountAllocations(const std::function<void()>& f) {
  allocations = 0;
  counting = true;
  f();
  counting = false;
  return allocations;
}

TEST(Allocation, SmallPdusAllocateOnlyTheirBuffers) {
  PduValues out;
  PduValues in;
  PduChain frame;
  for (std::u16string version : {u"6.01", u"7.0"}) {
    int type = 0;
    auto round = [&] {
      out.SetText(tag::kFilePath, u"dir\\a file name.txt");  // longer than inline storage
      out.SetInt(tag::kServerFileStatus, 0);
      out.SetInt(tag::kCrc, 9);
      ASSERT_TRUE(PduCodec::Encode(kPduSfil, out, version, frame));
      PduBuffer body;
      ASSERT_TRUE(body.Allocate(frame.TotalSize() - 8));
      auto bytes = frame.Buffer(0).Content().subspan(8);
      body.Append(bytes.data(), bytes.size());
      frame.Clear();
      frame.Append(std::move(body));
      ASSERT_TRUE(PduCodec::Decode(frame, version, in, type));
    };
    round();  // the values' texts and the chain's list get their storage once
    // Two buffers: the encoded frame's and the one the test copies the body into.
    EXPECT_EQ(CountAllocations(round), 2) << std::string(version.begin(), version.end());
    EXPECT_EQ(in.Text(tag::kFilePath), u"dir\\a file name.txt");
  }
}

}  // namespace
}  // namespace bexa::protocol
