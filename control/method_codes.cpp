#include "control/method_codes.h"

#include <algorithm>
#include <array>

#include "control/method_table.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

struct RegistryEntry {
    ResultCodeInfo code;
    std::string_view methods;
};

struct MethodGroup {
    std::string_view name;
    std::string_view methods;
};

#define KESTROVA_REGISTRY_ENTRY(constant, name, value, meaning, methods) \
    RegistryEntry{{#name, value, meaning}, methods},
constexpr std::array kRegistry = {KESTROVA_RESULT_CODES(KESTROVA_REGISTRY_ENTRY)};
#undef KESTROVA_REGISTRY_ENTRY

#define KESTROVA_METHOD_GROUP(name, methods) MethodGroup{name, methods},
constexpr std::array kGroups = {KESTROVA_METHOD_GROUPS(KESTROVA_METHOD_GROUP)};
#undef KESTROVA_METHOD_GROUP

constexpr std::string_view kEveryMethodWithACode = "every method that returns a code";
constexpr std::string_view kEveryGuardedMethod = "every guarded method on a refused page";

// "a, b, c" as its items.
std::vector<std::string_view> Items(std::string_view list) {
    std::vector<std::string_view> items;
    while (!list.empty()) {
        const std::size_t comma = list.find(", ");
        items.push_back(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 2);
    }
    return items;
}

const MethodGroup* FindGroup(std::string_view name) {
    const auto found = std::ranges::find(kGroups, name, &MethodGroup::name);
    return found == kGroups.end() ? nullptr : &*found;
}

bool Names(std::string_view list, const MethodInfo& method) {
    return std::ranges::any_of(Items(list), [&](std::string_view item) {
        const MethodGroup* group = FindGroup(item);
        return item == method.name || (item == kEveryGuardedMethod && method.NeedsAllowedPage()) ||
               (group != nullptr && std::ranges::count(Items(group->methods), method.name) > 0);
    });
}

}  // namespace

std::vector<ResultCodeInfo> ResultCodesOf(const MethodInfo& method) {
    const bool returnsCodes = std::ranges::any_of(kRegistry, [&](const RegistryEntry& entry) {
        return entry.methods != kEveryMethodWithACode && Names(entry.methods, method);
    });
    // A string method succeeds with its text and leaves a failure's code for
    // GetLastError.
    const bool succeedsWithZero = method.returnType == AutomationType::Long;
    std::vector<ResultCodeInfo> codes;
    for (const RegistryEntry& entry : kRegistry) {
        const bool named = entry.methods == kEveryMethodWithACode ? succeedsWithZero
                                                                  : Names(entry.methods, method);
        if (returnsCodes && named) {
            codes.push_back(entry.code);
        }
    }
    return codes;
}

std::vector<std::string_view> UnknownNamesInResultCodes() {
    std::vector<std::string_view> unknown;
    const auto check = [&](std::string_view list, bool groupsAllowed) {
        for (std::string_view item : Items(list)) {
            // Exactly as the table spells it: the dispatch's case-blind lookup would
            // let a misspelt list pass.
            const bool isMethod = std::ranges::any_of(
                MethodTable(), [&](const MethodInfo& method) { return method.name == item; });
            const bool known =
                isMethod ||
                (groupsAllowed && (FindGroup(item) != nullptr || item == kEveryGuardedMethod));
            if (!known) {
                unknown.push_back(item);
            }
        }
    };
    for (const RegistryEntry& entry : kRegistry) {
        if (entry.methods != kEveryMethodWithACode) {
            check(entry.methods, true);
        }
    }
    for (const MethodGroup& group : kGroups) {
        check(group.methods, false);
    }
    return unknown;
}

}  // namespace kestrova
