#pragma once

// What the method table says about each method of the dispatch interface.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "control/automation_value.h"
#include "platform/secure_wipe.h"

namespace kestrova {

class CKestrovaCtrl;

struct ParameterInfo {
    std::string_view name;
    AutomationType type;
    std::string_view meaning = {};  // a short phrase for the page's developer
};

// Arguments as a handler receives them, already converted to the declared
// types: a long as an int32, a BSTR as zero-terminated code page 950 bytes
// (a null BSTR as "").
class HandlerArguments {
  public:
    using Argument = std::variant<std::int32_t, std::string>;

    explicit HandlerArguments(std::size_t count) { arguments_.reserve(count); }
    // A PIN may be among the texts: none outlives the call readable.
    ~HandlerArguments() {
        for (Argument& argument : arguments_) {
            if (auto* text = std::get_if<std::string>(&argument)) {
                platform::WipeBuffer(*text);
            }
        }
    }
    HandlerArguments(const HandlerArguments&) = delete;
    HandlerArguments& operator=(const HandlerArguments&) = delete;

    void Add(std::int32_t value) {
        arguments_.emplace_back(std::in_place_type<std::int32_t>, value);
    }
    void Add(std::string text) {
        arguments_.emplace_back(std::in_place_type<std::string>, std::move(text));
    }

    // Only for an argument of that type; the table guarantees it.
    std::int32_t Long(std::size_t index) const { return std::get<std::int32_t>(arguments_[index]); }
    const char* Text(std::size_t index) const {
        return std::get<std::string>(arguments_[index]).c_str();
    }

  private:
    std::vector<Argument> arguments_;
};

// A long, or a BSTR as code page 950 bytes (empty: a null BSTR).
using HandlerResult = std::variant<std::int32_t, std::string>;
using Handler = HandlerResult (*)(CKestrovaCtrl&, const HandlerArguments&);

// Whether a method serves every page or only an allowed one
// (control/hosting_page_check.h). A method that sends anything to a card or a
// reader's connection, or that would, needs an allowed page; one that only
// computes, returns what the control already holds or describes the service
// is open. On a refused page a guarded method touches no card: it forgets the
// control's card (results cleared, CurrentSlot 0) and returns -1, a string
// method null with -1 in LastError.
enum class PageAccess : std::uint8_t {
    Open,
    AllowedPage,        // refused silently
    AllowedPageWarned,  // refused after the warning box
};

// The most parameters a method has (AccountPaymentEx3).
inline constexpr std::size_t kMaxParameters = 14;

struct MethodInfo {
    std::int32_t dispid;
    std::string_view name;  // as the type library stores it
    AutomationType returnType;
    std::array<ParameterInfo, kMaxParameters> parameterSlots;
    std::size_t parameterCount;
    Handler handler;  // runs the hosting-page check first when pageAccess asks
    PageAccess pageAccess;
    std::string_view description;  // one line for the page's developer

    bool NeedsAllowedPage() const { return pageAccess != PageAccess::Open; }

    std::span<const ParameterInfo> Parameters() const {
        return {parameterSlots.data(), parameterCount};
    }
};

}  // namespace kestrova
