// Block throughput of the data cipher (AES-128, id 11) and the session cipher
// (three-key triple DES, id 2) through CryptoProvider, beside the same
// library cipher driven directly on the same buffer with the same key; and
// CRC-32 through the provider beside zlib's crc32. The provider's cost is the
// difference between the pairs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include <cryptopp/aes.h>
#include <cryptopp/des.h>
#include <cryptopp/modes.h>
#include <zlib.h>

#include "security/crypto_provider.h"
#include "security/key_derivation.h"

namespace {

constexpr char16_t kKeyText[] = u"benchmark key";

std::vector<uint8_t>& Buffer(size_t size) {
  static std::vector<uint8_t> buffer;
  if (buffer.size() != size) {
    buffer.resize(size);
    for (size_t i = 0; i < size; ++i) buffer[i] = static_cast<uint8_t>(i * 31 + 7);
  }
  return buffer;
}

template <bool kEncrypt>
void ProviderBlocks(benchmark::State& state, int32_t id) {
  std::vector<uint8_t>& buffer = Buffer(state.range(0));
  bexa::CryptoProvider provider(id, true, kKeyText);
  const uint32_t length = static_cast<uint32_t>(buffer.size());
  for (auto _ : state) {
    if constexpr (kEncrypt) {
      provider.EncryptBlocks(buffer.data(), length);
    } else {
      provider.DecryptBlocks(buffer.data(), length);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * length);
}

template <typename Mode>
void LibraryBlocks(benchmark::State& state, size_t key_length) {
  std::vector<uint8_t>& buffer = Buffer(state.range(0));
  CryptoPP::SecByteBlock key = bexa::DeriveKeyBytes(kKeyText, key_length);
  Mode mode(key.data(), key.size());
  for (auto _ : state) {
    mode.ProcessData(buffer.data(), buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * buffer.size());
}

void ProviderAes128Encrypt(benchmark::State& s) { ProviderBlocks<true>(s, 11); }
void LibraryAes128Encrypt(benchmark::State& s) {
  LibraryBlocks<CryptoPP::ECB_Mode<CryptoPP::AES>::Encryption>(s, 16);
}
void ProviderAes128Decrypt(benchmark::State& s) { ProviderBlocks<false>(s, 11); }
void LibraryAes128Decrypt(benchmark::State& s) {
  LibraryBlocks<CryptoPP::ECB_Mode<CryptoPP::AES>::Decryption>(s, 16);
}
void ProviderTripleDesEncrypt(benchmark::State& s) { ProviderBlocks<true>(s, 2); }
void LibraryTripleDesEncrypt(benchmark::State& s) {
  LibraryBlocks<CryptoPP::ECB_Mode<CryptoPP::DES_EDE3>::Encryption>(s, 24);
}
void ProviderTripleDesDecrypt(benchmark::State& s) { ProviderBlocks<false>(s, 2); }
void LibraryTripleDesDecrypt(benchmark::State& s) {
  LibraryBlocks<CryptoPP::ECB_Mode<CryptoPP::DES_EDE3>::Decryption>(s, 24);
}

void ProviderCrc32(benchmark::State& state) {
  std::vector<uint8_t>& buffer = Buffer(state.range(0));
  bexa::CryptoProvider provider(30, true);
  uint8_t digest[4];
  for (auto _ : state) {
    provider.Update(buffer.data(), static_cast<uint32_t>(buffer.size()));
    uint32_t capacity = sizeof digest;
    provider.Final(digest, capacity);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * buffer.size());
}

void ZlibCrc32(benchmark::State& state) {
  std::vector<uint8_t>& buffer = Buffer(state.range(0));
  for (auto _ : state) {
    uLong crc = crc32(0, buffer.data(), static_cast<uInt>(buffer.size()));
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * buffer.size());
}

// Provider and library take turns on the same buffer within each iteration,
// so that both see the same load of the machine; the counters give both
// throughputs and the provider's extra time in percent of the library's.
template <typename Mode, bool kEncrypt>
void Paired(benchmark::State& state, int32_t id, size_t key_length) {
  using Clock = std::chrono::steady_clock;
  std::vector<uint8_t>& buffer = Buffer(state.range(0));
  const uint32_t length = static_cast<uint32_t>(buffer.size());
  bexa::CryptoProvider provider(id, true, kKeyText);
  CryptoPP::SecByteBlock key = bexa::DeriveKeyBytes(kKeyText, key_length);
  Mode mode(key.data(), key.size());
  Clock::duration provider_time{}, library_time{};
  for (auto _ : state) {
    Clock::time_point t0 = Clock::now();
    if constexpr (kEncrypt) {
      provider.EncryptBlocks(buffer.data(), length);
    } else {
      provider.DecryptBlocks(buffer.data(), length);
    }
    benchmark::ClobberMemory();
    Clock::time_point t1 = Clock::now();
    mode.ProcessData(buffer.data(), buffer.data(), length);
    benchmark::ClobberMemory();
    Clock::time_point t2 = Clock::now();
    provider_time += t1 - t0;
    library_time += t2 - t1;
  }
  double bytes = static_cast<double>(state.iterations()) * length;
  double p = std::chrono::duration<double>(provider_time).count();
  double l = std::chrono::duration<double>(library_time).count();
  state.counters["provider_GBps"] = bytes / p / 1e9;
  state.counters["library_GBps"] = bytes / l / 1e9;
  state.counters["overhead_pct"] = (p - l) / l * 100.0;
}

void PairedAes128Encrypt(benchmark::State& s) {
  Paired<CryptoPP::ECB_Mode<CryptoPP::AES>::Encryption, true>(s, 11, 16);
}
void PairedAes128Decrypt(benchmark::State& s) {
  Paired<CryptoPP::ECB_Mode<CryptoPP::AES>::Decryption, false>(s, 11, 16);
}
void PairedTripleDesEncrypt(benchmark::State& s) {
  Paired<CryptoPP::ECB_Mode<CryptoPP::DES_EDE3>::Encryption, true>(s, 2, 24);
}
void PairedTripleDesDecrypt(benchmark::State& s) {
  Paired<CryptoPP::ECB_Mode<CryptoPP::DES_EDE3>::Decryption, false>(s, 2, 24);
}

// 64 KiB: a block of file data; 1 MiB: a long run through the cipher.
#define BEXA_PAIR(provider, library) \
  BENCHMARK(provider)->Arg(64 << 10)->Arg(1 << 20); \
  BENCHMARK(library)->Arg(64 << 10)->Arg(1 << 20)

BEXA_PAIR(ProviderAes128Encrypt, LibraryAes128Encrypt);
BEXA_PAIR(ProviderAes128Decrypt, LibraryAes128Decrypt);
BEXA_PAIR(ProviderTripleDesEncrypt, LibraryTripleDesEncrypt);
BEXA_PAIR(ProviderTripleDesDecrypt, LibraryTripleDesDecrypt);
BEXA_PAIR(ProviderCrc32, ZlibCrc32);
BEXA_PAIR(PairedAes128Encrypt, PairedAes128Decrypt);
BEXA_PAIR(PairedTripleDesEncrypt, PairedTripleDesDecrypt);

}  // namespace

BENCHMARK_MAIN();
