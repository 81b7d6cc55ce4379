#pragma once

// Builds the entries of the method table. An entry whose handler takes or
// returns other types than the entry declares does not compile.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "control/hosting_page_check.h"
#include "control/hosting_page_guard.h"
#include "control/kestrova_ctrl.h"
#include "control/method_info.h"

namespace kestrova::method_binding {

template <typename T>
struct HandlerTypeOf;
template <>
struct HandlerTypeOf<std::int32_t> {
    static constexpr AutomationType kType = AutomationType::Long;
    static std::int32_t From(const HandlerArguments& arguments, std::size_t index) {
        return arguments.Long(index);
    }
};
template <>
struct HandlerTypeOf<const char*> {
    static constexpr AutomationType kType = AutomationType::Bstr;
    static const char* From(const HandlerArguments& arguments, std::size_t index) {
        return arguments.Text(index);
    }
};
template <>
struct HandlerTypeOf<std::string> {
    static constexpr AutomationType kType = AutomationType::Bstr;
};

template <typename Return, typename... Parameters>
struct SignatureTraits {
    static constexpr AutomationType kReturnType = HandlerTypeOf<Return>::kType;
    static constexpr std::array<AutomationType, sizeof...(Parameters)> kParameterTypes{
        HandlerTypeOf<Parameters>::kType...};

    template <auto Member, std::size_t... Index>
    static HandlerResult Call(CKestrovaCtrl& control, const HandlerArguments& arguments,
                              std::index_sequence<Index...>) {
        return (control.*Member)(HandlerTypeOf<Parameters>::From(arguments, Index)...);
    }
};

template <typename MemberPointer>
struct MemberTraits;
template <typename Return, typename... Parameters>
struct MemberTraits<Return (CKestrovaCtrl::*)(Parameters...)>
    : SignatureTraits<Return, Parameters...> {
    static constexpr std::size_t kArity = sizeof...(Parameters);
};
template <typename Return, typename... Parameters>
struct MemberTraits<Return (CKestrovaCtrl::*)(Parameters...) const>
    : SignatureTraits<Return, Parameters...> {
    static constexpr std::size_t kArity = sizeof...(Parameters);
};

template <auto Member>
HandlerResult CallMember(CKestrovaCtrl& control, const HandlerArguments& arguments) {
    using Traits = MemberTraits<decltype(Member)>;
    return Traits::template Call<Member>(control, arguments,
                                         std::make_index_sequence<Traits::kArity>{});
}

// A refused page's result: -1, or for a string method null with -1 in
// LastError, as a string method reports its failures.
inline HandlerResult RefusedResult(CKestrovaCtrl& control, AutomationType returnType) {
    if (returnType == AutomationType::Bstr) {
        control.LastError = kHostingPageRefused;
        return std::string{};
    }
    return kHostingPageRefused;
}

template <auto Member, RefusalNotice kNotice>
HandlerResult CallMemberForAllowedPage(CKestrovaCtrl& control, const HandlerArguments& arguments) {
    if (control.RefusesHostingPage(kNotice)) {
        return RefusedResult(control, MemberTraits<decltype(Member)>::kReturnType);
    }
    return CallMember<Member>(control, arguments);
}

// The methods without effect look at none of their arguments.
inline HandlerResult DoNothing(CKestrovaCtrl& /*control*/, const HandlerArguments& /*arguments*/) {
    return std::int32_t{0};
}

template <RefusalNotice kNotice>
HandlerResult DoNothingForAllowedPage(CKestrovaCtrl& control, const HandlerArguments& arguments) {
    if (control.RefusesHostingPage(kNotice)) {
        return kHostingPageRefused;
    }
    return DoNothing(control, arguments);
}

// The handler of each access: the hosting-page check, where it is needed,
// runs before anything else.
template <Handler kOpen, Handler kSilent, Handler kWarned>
constexpr Handler HandlerFor(PageAccess access) {
    switch (access) {
        case PageAccess::AllowedPage:
            return kSilent;
        case PageAccess::AllowedPageWarned:
            return kWarned;
        case PageAccess::Open:
            break;
    }
    return kOpen;
}

// Not constexpr on purpose: reaching one of these while the constant table is
// built stops the build, and the compiler names the function.
inline void HandlerSignatureDisagreesWithTableEntry() {}
inline void TooManyParametersForTableEntry() {}

constexpr MethodInfo Entry(std::int32_t dispid, std::string_view name, AutomationType returnType,
                           std::span<const ParameterInfo> parameters, Handler handler,
                           PageAccess access, std::string_view description) {
    if (parameters.size() > kMaxParameters) {
        TooManyParametersForTableEntry();
    }
    MethodInfo info{dispid, name, returnType, {}, parameters.size(), handler, access, description};
    std::copy(parameters.begin(), parameters.end(), info.parameterSlots.begin());
    return info;
}

// A method whose handler is the control's member of the same signature.
template <auto Member>
constexpr MethodInfo Implemented(std::int32_t dispid, std::string_view name,
                                 AutomationType returnType,
                                 std::span<const ParameterInfo> parameters, PageAccess access,
                                 std::string_view description) {
    using Traits = MemberTraits<decltype(Member)>;
    const bool agrees =
        Traits::kReturnType == returnType && Traits::kParameterTypes.size() == parameters.size() &&
        std::equal(parameters.begin(), parameters.end(), Traits::kParameterTypes.begin(),
                   [](const ParameterInfo& parameter, AutomationType type) {
                       return parameter.type == type;
                   });
    if (!agrees) {
        HandlerSignatureDisagreesWithTableEntry();
    }
    const Handler handler =
        HandlerFor<&CallMember<Member>, &CallMemberForAllowedPage<Member, RefusalNotice::Silent>,
                   &CallMemberForAllowedPage<Member, RefusalNotice::WarningBox>>(access);
    return Entry(dispid, name, returnType, parameters, handler, access, description);
}

template <auto Member>
constexpr MethodInfo Implemented(std::int32_t dispid, std::string_view name,
                                 AutomationType returnType,
                                 std::initializer_list<ParameterInfo> parameters, PageAccess access,
                                 std::string_view description) {
    return Implemented<Member>(
        dispid, name, returnType,
        std::span<const ParameterInfo>(parameters.begin(), parameters.size()), access, description);
}

// A method that accepts its arguments, does nothing and returns 0 (-1 on a
// refused page when it needs an allowed one: its name promises card work).
// Its parameters are described as unused.
constexpr MethodInfo WithoutEffect(std::int32_t dispid, std::string_view name,
                                   std::initializer_list<ParameterInfo> parameters,
                                   PageAccess access) {
    const Handler handler = HandlerFor<&DoNothing, &DoNothingForAllowedPage<RefusalNotice::Silent>,
                                       &DoNothingForAllowedPage<RefusalNotice::WarningBox>>(access);
    MethodInfo info = Entry(
        dispid, name, AutomationType::Long,
        std::span<const ParameterInfo>(parameters.begin(), parameters.size()), handler, access,
        "Kept for the pages that call it: accepts its arguments, does nothing and "
        "returns 0.");
    for (std::size_t i = 0; i < info.parameterCount; ++i) {
        info.parameterSlots[i].meaning = "not used";
    }
    return info;
}

}  // namespace kestrova::method_binding
