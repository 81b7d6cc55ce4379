// The same DES work done by Kestrova and by OpenSSL: the engine's CBC and
// CBC-MAC over several lengths, and the page's DES and MAC operations with
// their hex texts, for each key type. Both sides set up their keys inside the
// timed loop, because the engine expands its keys on every call.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/des_pairs.h"
#include "bench/openssl_reference.h"
#include "crypto/cbc_mac.h"
#include "crypto/des_engine.h"
#include "crypto/des_mac_operations.h"

namespace kestrova::bench {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct KeyCase {
    const char* name;
    std::int32_t keyType;
};

constexpr KeyCase kKeyCases[] = {
    {"DES", kKeyTypeSingle}, {"3DES-2key", kKeyTypeTwoKey}, {"3DES-3key", kKeyTypeThreeKey}};
constexpr std::int32_t kEngineLengths[] = {8, 64, 2048, 65536};
constexpr std::int32_t kOperationLengths[] = {8, 64, 2048};

constexpr std::array<std::uint8_t, 24> kKey = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                               0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10,
                                               0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67};
constexpr std::array<std::uint8_t, 8> kIv = {0x12, 0x34, 0x56, 0x78, 0x90, 0xAB, 0xCD, 0xEF};

Bytes Message(std::int32_t length) {
    Bytes data(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return data;
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

// One side of a pair: `run` is the timed work, `result` reads what the last
// run produced, for the check that both sides agree.
template <typename Run>
struct Side {
    Run run;
    std::function<std::string()> result;
};

class PairRegistry {
  public:
    explicit PairRegistry(std::vector<BenchPair>& pairs) : pairs_(pairs) {}

    template <typename OurRun, typename TheirRun>
    bool Add(const std::string& label, const Side<OurRun>& kestrova,
             const Side<TheirRun>& openssl) {
        kestrova.run();
        openssl.run();
        if (kestrova.result() != openssl.result()) {
            std::fprintf(stderr, "%s: Kestrova and OpenSSL disagree\n", label.c_str());
            return false;
        }
        BenchPair pair{label, "Kestrova " + label, "OpenSSL " + label};
        Register(pair.kestrova, kestrova.run);
        Register(pair.openssl, openssl.run);
        pairs_.push_back(std::move(pair));
        return true;
    }

  private:
    template <typename Run>
    static void Register(const std::string& name, Run run) {
        benchmark::RegisterBenchmark(name.c_str(), [run](benchmark::State& state) {
            for (auto _ : state) {
                run();
                benchmark::ClobberMemory();
            }
        })->Unit(benchmark::kNanosecond);
    }

    std::vector<BenchPair>& pairs_;
};

template <typename Run>
Side<Run> MakeSide(Run run, std::function<std::string()> result) {
    return {std::move(run), std::move(result)};
}

std::function<std::string()> HexOf(std::shared_ptr<Bytes> bytes) {
    return [bytes] { return Hex(bytes->data(), bytes->size()); };
}

bool AddEnginePairs(PairRegistry& registry, const KeyCase& keys, std::int32_t length) {
    auto input = std::make_shared<const Bytes>(Message(length));
    auto ours = std::make_shared<Bytes>(input->size());
    auto theirs = std::make_shared<Bytes>(input->size());
    auto ourMac = std::make_shared<Bytes>(8);
    auto theirMac = std::make_shared<Bytes>(8);
    const std::int32_t keyType = keys.keyType;
    const std::string suffix = std::string(keys.name) + " " + std::to_string(length) + " B";
    const bool cbcAgrees = registry.Add(
        "engine CBC " + suffix,
        MakeSide(
            [=] {
                CipherEncrypt(kKey.data(), length, input->data(), ours->data(), keyType, kModeCbc,
                              kIv.data());
            },
            HexOf(ours)),
        MakeSide(
            [=] {
                OpenSslCbc(kKey.data(), keyType, length, input->data(), theirs->data(), kIv.data());
            },
            HexOf(theirs)));
    const bool macAgrees = registry.Add(
        "engine MAC " + suffix,
        MakeSide(
            [=] {
                CbcMac(kKey.data(), length, input->data(), keyType, kIv.data(), ourMac->data());
            },
            HexOf(ourMac)),
        MakeSide(
            [=] {
                OpenSslCbcMac(kKey.data(), keyType, length, input->data(), kIv.data(),
                              theirMac->data());
            },
            HexOf(theirMac)));
    return cbcAgrees && macAgrees;
}

bool AddPagePairs(PairRegistry& registry, const KeyCase& keys) {
    const std::int32_t keyLen = 8 * (keys.keyType + 1);
    auto keyText =
        std::make_shared<const std::string>(Hex(kKey.data(), static_cast<std::size_t>(keyLen)));
    auto blockText = std::make_shared<const std::string>(Hex(kIv.data(), kIv.size()));
    auto ours = std::make_shared<std::string>();
    auto theirs = std::make_shared<std::string>();
    auto textOf = [](std::shared_ptr<std::string> text) {
        return std::function<std::string()>([text] { return *text; });
    };
    bool agree = registry.Add(
        std::string("page DES ") + keys.name,
        MakeSide([=] { DesOperation(0, keyLen, keyText->c_str(), blockText->c_str(), *ours); },
                 textOf(ours)),
        MakeSide([=] { OpenSslEncryptText(keyLen, keyText->c_str(), blockText->c_str(), *theirs); },
                 textOf(theirs)));
    for (const std::int32_t length : kOperationLengths) {
        const Bytes data = Message(length);
        auto dataText = std::make_shared<const std::string>(Hex(data.data(), data.size()));
        agree =
            registry.Add(std::string("page MAC ") + keys.name + " " + std::to_string(length) + " B",
                         MakeSide(
                             [=] {
                                 MacOperation(keyLen, keyText->c_str(), blockText->c_str(), length,
                                              dataText->c_str(), *ours);
                             },
                             textOf(ours)),
                         MakeSide(
                             [=] {
                                 OpenSslMacText(keyLen, keyText->c_str(), blockText->c_str(),
                                                length, dataText->c_str(), *theirs);
                             },
                             textOf(theirs))) &&
            agree;
    }
    return agree;
}

}  // namespace

bool RegisterDesPairs(std::vector<BenchPair>& pairs) {
    PairRegistry registry(pairs);
    bool agree = true;
    for (const KeyCase& keys : kKeyCases) {
        for (const std::int32_t length : kEngineLengths) {
            agree = AddEnginePairs(registry, keys, length) && agree;
        }
    }
    for (const KeyCase& keys : kKeyCases) {
        agree = AddPagePairs(registry, keys) && agree;
    }
    return agree;
}

}  // namespace kestrova::bench
