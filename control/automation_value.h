#pragma once

// The values a script passes to the control and gets back: long and BSTR.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/secure_wipe.h"

namespace kestrova {

enum class AutomationType { Long, Bstr };

// UTF-16 text, or null. Scripts see a null BSTR as an empty string, yet the
// two are different values on the platform and stay so here.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::u16string text) : text_(std::move(text)) {}

    bool IsNull() const { return !text_.has_value(); }
    // Empty for a null BSTR.
    std::u16string_view Text() const { return text_ ? std::u16string_view(*text_) : u""; }

    bool operator==(const Bstr&) const = default;

    // Overwrites a copy that may hold a secret before it is freed.
    void Wipe() {
        if (text_) {
            platform::WipeBuffer(*text_);
        }
    }

  private:
    std::optional<std::u16string> text_;
};

class AutomationValue {
  public:
    static AutomationValue Long(std::int32_t value) { return AutomationValue(value); }
    static AutomationValue String(std::u16string text) {
        return AutomationValue(Bstr(std::move(text)));
    }
    static AutomationValue NullString() { return AutomationValue(Bstr()); }

    AutomationType Type() const {
        return std::holds_alternative<std::int32_t>(value_) ? AutomationType::Long
                                                            : AutomationType::Bstr;
    }
    bool IsLong() const { return Type() == AutomationType::Long; }
    bool IsBstr() const { return Type() == AutomationType::Bstr; }
    // Only for a value of that type.
    std::int32_t AsLong() const { return std::get<std::int32_t>(value_); }
    const Bstr& AsBstr() const { return std::get<Bstr>(value_); }

    bool operator==(const AutomationValue&) const = default;

  private:
    explicit AutomationValue(std::variant<std::int32_t, Bstr> value) : value_(std::move(value)) {}

    std::variant<std::int32_t, Bstr> value_;
};

std::string_view TypeName(AutomationType type);

}  // namespace kestrova
