// Arbitrary text and lengths through every conversion a page reaches without
// a card: HexDecode itself, and ConvertHexToInt, ConvertIntToHex, DES and MAC
// both through the control's automation layer (UTF-16, code page 950,
// argument conversion) and called directly on buffers of exactly the
// argument's size, so that a read past an argument is caught.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "card/hex.h"
#include "control/dispatch.h"
#include "control/kestrova_ctrl.h"

namespace {

using namespace kestrova;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A zero-terminated copy with no spare capacity behind it.
class ExactText {
  public:
    explicit ExactText(const std::string& text) : bytes_(new char[text.size() + 1]) {
        std::memcpy(bytes_.get(), text.c_str(), text.size() + 1);
    }
    const char* get() const { return bytes_.get(); }

  private:
    std::unique_ptr<char[]> bytes_;
};

std::string HexLikeText(FuzzedDataProvider& provider) {
    if (provider.ConsumeBool()) {
        return provider.ConsumeRandomLengthString(96);
    }
    static constexpr char kAlphabet[] = "0123456789ABCDEFabcdefGZz -\x80\xA5";
    std::string text(provider.ConsumeIntegralInRange<std::size_t>(0, 64), '0');
    for (char& c : text) {
        c = kAlphabet[provider.ConsumeIntegralInRange<std::size_t>(0, sizeof kAlphabet - 2)];
    }
    return text;
}

// Lengths near the text's length, the interesting ones, or anything.
std::int32_t LengthFor(FuzzedDataProvider& provider, std::size_t textLength) {
    switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return provider.ConsumeIntegralInRange<std::int32_t>(
                -2, static_cast<std::int32_t>(textLength) + 3);
        case 1:
            return 8 * provider.ConsumeIntegralInRange<std::int32_t>(0, 3);
        case 2:
            return 8 * provider.ConsumeIntegralInRange<std::int32_t>(0, 260);
        default:
            return provider.ConsumeIntegral<std::int32_t>();
    }
}

std::u16string Utf16Text(FuzzedDataProvider& provider) {
    if (provider.ConsumeBool()) {
        const std::string ascii = HexLikeText(provider);
        return {ascii.begin(), ascii.end()};
    }
    std::u16string text(provider.ConsumeIntegralInRange<std::size_t>(0, 48), u'\0');
    for (char16_t& unit : text) {
        unit = provider.ConsumeIntegral<char16_t>();
    }
    return text;
}

// An argument as a script might pass it: usually of the declared type,
// sometimes the other type or a null string.
AutomationValue LongArgument(FuzzedDataProvider& provider, std::size_t textLength) {
    const std::int32_t number = LengthFor(provider, textLength);
    switch (provider.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
            return AutomationValue::String(Utf16Text(provider));
        case 1: {
            const std::string digits = " " + std::to_string(number) + " ";
            return AutomationValue::String({digits.begin(), digits.end()});
        }
        default:
            return AutomationValue::Long(number);
    }
}

AutomationValue BstrArgument(FuzzedDataProvider& provider) {
    switch (provider.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
            return AutomationValue::NullString();
        case 1:
            return AutomationValue::Long(provider.ConsumeIntegral<std::int32_t>());
        default:
            return AutomationValue::String(Utf16Text(provider));
    }
}

void CheckResult(const InvokeResult& result) {
    if (!result.Succeeded()) {
        Require(!result.Error().message.empty());
    }
}

void FuzzHexDecode(FuzzedDataProvider& provider) {
    const std::string text = HexLikeText(provider);
    const ExactText exact(text);
    const std::int32_t count = LengthFor(provider, text.size());
    // Decoding stops at the terminator, so no more than this is written.
    const std::size_t textLength = std::strlen(exact.get());
    const std::size_t readable =
        std::min<std::size_t>(count < 0 ? 0 : static_cast<std::size_t>(count), textLength + 1);
    std::vector<std::uint8_t> bytes((readable + 1) / 2);
    const std::int32_t result = HexDecode(count, exact.get(), bytes.data());
    Require(result == 0 || result == -1);
    Require(result != 0 || count <= 0 || static_cast<std::size_t>(count) <= textLength);
}

void FuzzDirectConversions(FuzzedDataProvider& provider, CKestrovaCtrl& control) {
    const std::string text = HexLikeText(provider);
    const ExactText exact(text);
    const char* argument = provider.ConsumeIntegralInRange<int>(0, 15) == 0 ? nullptr : exact.get();
    const std::int32_t length = LengthFor(provider, text.size());

    const std::string hex = control.ConvertIntToHex(length, argument);
    Require(hex.empty() || hex.size() == 2 * static_cast<std::size_t>(length));
    const std::string decoded = control.ConvertHexToInt(length, argument);
    Require(decoded.size() <= static_cast<std::size_t>(std::max(length, 0)) / 2);

    // Encoding then decoding gives the text back up to its first zero byte.
    if (argument != nullptr && !hex.empty()) {
        const ExactText exactHex(hex);
        const std::string back = control.ConvertHexToInt(2 * length, exactHex.get());
        Require(back == std::string(argument).substr(0, static_cast<std::size_t>(length)));
    }
}

void FuzzDirectCrypto(FuzzedDataProvider& provider, CKestrovaCtrl& control) {
    const ExactText key(HexLikeText(provider));
    const ExactText data(HexLikeText(provider));
    const ExactText icv(HexLikeText(provider));
    const std::int32_t keyLength = LengthFor(provider, std::strlen(key.get()) / 2);
    const std::string before = control.RespData;
    std::int32_t result = 0;
    if (provider.ConsumeBool()) {
        result = control.DES(provider.ConsumeIntegralInRange<std::int32_t>(-1, 2), keyLength,
                             key.get(), data.get());
    } else {
        result = control.MAC(keyLength, key.get(), icv.get(),
                             LengthFor(provider, std::strlen(data.get()) / 2), data.get());
    }
    if (result == 0) {
        Require(control.RespData.size() == 16);
        Require(control.RespData.find_first_not_of("0123456789ABCDEF") == std::string::npos);
    } else {
        Require(control.RespData == before);
    }
}

void FuzzThroughAutomation(FuzzedDataProvider& provider, CKestrovaCtrl& control) {
    std::vector<AutomationValue> arguments;
    const char* method = nullptr;
    switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
        case 1: {
            method = provider.ConsumeBool() ? "ConvertHexToInt" : "ConvertIntToHex";
            const AutomationValue text = BstrArgument(provider);
            arguments = {LongArgument(provider, 16), text};
            break;
        }
        case 2:
            method = "DES";
            arguments = {LongArgument(provider, 1), LongArgument(provider, 16),
                         BstrArgument(provider), BstrArgument(provider)};
            break;
        default:
            method = "MAC";
            arguments = {LongArgument(provider, 16), BstrArgument(provider), BstrArgument(provider),
                         LongArgument(provider, 64), BstrArgument(provider)};
            break;
    }
    // Now and then the wrong number of arguments.
    if (provider.ConsumeIntegralInRange<int>(0, 15) == 0) {
        arguments.pop_back();
    }
    CheckResult(InvokeMethod(control, method, arguments));
    CheckResult(InvokeMethod(control, "GetRespData", {}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    CKestrovaCtrl control;
    while (provider.remaining_bytes() > 0) {
        switch (provider.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                FuzzHexDecode(provider);
                break;
            case 1:
                FuzzDirectConversions(provider, control);
                break;
            case 2:
                FuzzDirectCrypto(provider, control);
                break;
            default:
                FuzzThroughAutomation(provider, control);
                break;
        }
    }
    return 0;
}
