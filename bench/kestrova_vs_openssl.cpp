// The same DES work done by Kestrova and by OpenSSL. Each pair does the key
// setup inside the timed loop on both sides, because Kestrova expands its
// keys on every call.

#include <benchmark/benchmark.h>
#include <openssl/des.h>

#include <array>
#include <cstdint>
#include <string>

#include "crypto/des_engine.h"
#include "crypto/des_mac_operations.h"

namespace {

constexpr std::int32_t kMacLength = 2048;
const char* const kTwoKeyText = "0123456789ABCDEFFEDCBA9876543210";
const char* const kSingleKeyText = "133457799BBCDFF1";
const char* const kBlockText = "0123456789ABCDEF";
const char* const kIcvText = "0000000000000000";

constexpr std::array<std::uint8_t, 16> kTwoKey = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                                  0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
constexpr std::array<std::uint8_t, 8> kSingleKey = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
constexpr std::array<std::uint8_t, 8> kBlock = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

std::array<std::uint8_t, kMacLength> MacData() {
    std::array<std::uint8_t, kMacLength> data{};
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return data;
}

std::string MacDataText() {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : MacData()) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// OpenSSL's const_DES_cblock is not const; it only reads through it.
const_DES_cblock* Block(const std::uint8_t* bytes) {
    return reinterpret_cast<const_DES_cblock*>(const_cast<std::uint8_t*>(bytes));
}

void OpenSslTwoKeyCbc(const std::uint8_t* data, std::uint8_t* out) {
    DES_key_schedule first;
    DES_key_schedule second;
    DES_set_key_unchecked(Block(kTwoKey.data()), &first);
    DES_set_key_unchecked(Block(kTwoKey.data() + 8), &second);
    DES_cblock chain = {0};
    DES_ede3_cbc_encrypt(data, out, kMacLength, &first, &second, &first, &chain, DES_ENCRYPT);
}

void OpenSslSingleBlock(std::uint8_t* out) {
    DES_key_schedule schedule;
    DES_set_key_unchecked(Block(kSingleKey.data()), &schedule);
    DES_ecb_encrypt(Block(kBlock.data()), reinterpret_cast<DES_cblock*>(out), &schedule,
                    DES_ENCRYPT);
}

// MAC over 2048 bytes with a two-key triple-DES key. Kestrova's side is the
// whole page method: hex text in and out.
void KestrovaMacOperation(benchmark::State& state) {
    const std::string data = MacDataText();
    std::string mac;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kestrova::MacOperation(16, kTwoKeyText, kIcvText, kMacLength, data.c_str(), mac));
        benchmark::DoNotOptimize(mac.data());
    }
}

void OpenSslMac(benchmark::State& state) {
    const auto data = MacData();
    std::array<std::uint8_t, kMacLength> out{};
    for (auto _ : state) {
        OpenSslTwoKeyCbc(data.data(), out.data());
        benchmark::DoNotOptimize(out.data() + kMacLength - 8);
    }
}

// The bare engine: two-key triple-DES CBC over 2048 bytes.
void KestrovaCbcEngine(benchmark::State& state) {
    const auto data = MacData();
    const std::array<std::uint8_t, 8> iv{};
    std::array<std::uint8_t, kMacLength> out{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(kestrova::CipherEncrypt(kTwoKey.data(), kMacLength, data.data(),
                                                         out.data(), kestrova::kKeyTypeTwoKey,
                                                         kestrova::kModeCbc, iv.data()));
        benchmark::ClobberMemory();
    }
}

void OpenSslCbcEngine(benchmark::State& state) {
    const auto data = MacData();
    std::array<std::uint8_t, kMacLength> out{};
    for (auto _ : state) {
        OpenSslTwoKeyCbc(data.data(), out.data());
        benchmark::ClobberMemory();
    }
}

// One block of single DES: the page method, and the bare block primitive.
void KestrovaDesOperation(benchmark::State& state) {
    std::string result;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kestrova::DesOperation(0, 8, kSingleKeyText, kBlockText, result));
        benchmark::DoNotOptimize(result.data());
    }
}

void KestrovaDesBlock(benchmark::State& state) {
    std::array<std::uint8_t, 8> out{};
    for (auto _ : state) {
        kestrova::DesEncryptBlock(kSingleKey.data(), kBlock.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

void OpenSslDesBlock(benchmark::State& state) {
    std::array<std::uint8_t, 8> out{};
    for (auto _ : state) {
        OpenSslSingleBlock(out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(KestrovaMacOperation)->Unit(benchmark::kNanosecond);
BENCHMARK(OpenSslMac)->Unit(benchmark::kNanosecond);
BENCHMARK(KestrovaCbcEngine)->Unit(benchmark::kNanosecond);
BENCHMARK(OpenSslCbcEngine)->Unit(benchmark::kNanosecond);
BENCHMARK(KestrovaDesOperation)->Unit(benchmark::kNanosecond);
BENCHMARK(KestrovaDesBlock)->Unit(benchmark::kNanosecond);
BENCHMARK(OpenSslDesBlock)->Unit(benchmark::kNanosecond);
