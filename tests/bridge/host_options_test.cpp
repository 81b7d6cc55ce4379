// Who may start the host, and the options a configuration file or a wrapper
// script gives it.

#include "bridge/host/host_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::bridge {
namespace {

constexpr char kChromiumId[] = KESTROVA_CHROMIUM_EXTENSION_ID;
constexpr char kGeckoId[] = KESTROVA_GECKO_EXTENSION_ID;

TEST(HostOptions, OnlyOurExtensionsCallerArgumentsAreAccepted) {
    const std::string ours = std::string("chrome-extension://") + kChromiumId + "/";
    const struct {
        std::vector<std::string> arguments;
        bool accepted;
    } cases[] = {
        {{ours}, true},
        {{"--parent-window=0", ours}, true},
        {{"--simulate", ours}, true},
        {{"/usr/lib/mozilla/native-messaging-hosts/com.kestrova.bridge.json", kGeckoId}, true},
        {{}, false},
        {{"chrome-extension://aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/"}, false},
        {{std::string("chrome-extension://") + kChromiumId}, false},
        {{ours + "x"}, false},
        {{"/path/manifest.json", "other@example.com"}, false},
        {{"", kGeckoId}, false},
        {{ours, kGeckoId, "extra"}, false},
    };
    for (const auto& c : cases) {
        HostOptions options;
        const std::vector<std::string_view> views(c.arguments.begin(), c.arguments.end());
        ASSERT_FALSE(ApplyCommandLine(views, options).has_value());
        EXPECT_EQ(StartedForOurExtension(options.callerArguments, kChromiumId, kGeckoId),
                  c.accepted)
            << (c.arguments.empty() ? std::string("(none)") : c.arguments.back());
    }
}

TEST(HostOptions, ConfigurationLinesSetTheOptionsOrNameTheBadLine) {
    const struct {
        const char* text;
        bool simulate;
        const char* profile;
        host::UiChoice ui;
        std::optional<host::ConfirmAnswer> confirm;
        const char* error;  // a part of the error, or null for none
    } cases[] = {
        {"", false, "", host::UiChoice::Auto, std::nullopt, nullptr},
        {"# comment only\n\n   \n", false, "", host::UiChoice::Auto, std::nullopt, nullptr},
        {"simulate\n", true, "", host::UiChoice::Auto, std::nullopt, nullptr},
        {"  simulate=/etc/kestrova/cards.json  # profile\r\nui=console\nconfirm=ok", true,
         "/etc/kestrova/cards.json", host::UiChoice::Console, host::ConfirmAnswer::Ok, nullptr},
        {"ui=qt\nconfirm=cancel\n", false, "", host::UiChoice::Qt, host::ConfirmAnswer::Cancel,
         nullptr},
        {"simulate\nui=window\n", true, "", host::UiChoice::Auto, std::nullopt, "line 2: ui"},
        {"confirm=yes", false, "", host::UiChoice::Auto, std::nullopt, "line 1: confirm"},
        {"simulate=", false, "", host::UiChoice::Auto, std::nullopt, "line 1: simulate"},
        {"\n\nverbose\n", false, "", host::UiChoice::Auto, std::nullopt, "line 3: unknown"},
        {"ui=\n", false, "", host::UiChoice::Auto, std::nullopt, "line 1: ui"},
        {"simulate-removal=manual", false, "", host::UiChoice::Auto, std::nullopt,
         "line 1: simulate-removal"},
        {"simulate\nlog=\n", true, "", host::UiChoice::Auto, std::nullopt, "line 2: log"},
    };
    for (const auto& c : cases) {
        HostOptions options;
        const std::optional<std::string> error = ApplyConfigText(c.text, options);
        if (c.error != nullptr) {
            ASSERT_TRUE(error.has_value()) << c.text;
            EXPECT_NE(error->find(c.error), std::string::npos) << *error;
            continue;
        }
        ASSERT_FALSE(error.has_value()) << *error;
        EXPECT_EQ(options.simulate, c.simulate) << c.text;
        EXPECT_EQ(options.profile, c.profile) << c.text;
        EXPECT_EQ(options.ui, c.ui) << c.text;
        EXPECT_EQ(options.confirm, c.confirm) << c.text;
    }
}

TEST(HostOptions, CommandLineWordsAreTheSameOptions) {
    HostOptions options;
    const std::vector<std::string_view> arguments = {"--simulate=cards.json", "--ui=console",
                                                     "manifest.json", kGeckoId};
    ASSERT_FALSE(ApplyCommandLine(arguments, options).has_value());
    EXPECT_TRUE(options.simulate);
    EXPECT_EQ(options.profile, "cards.json");
    EXPECT_EQ(options.ui, host::UiChoice::Console);
    EXPECT_EQ(options.callerArguments, (std::vector<std::string>{"manifest.json", kGeckoId}));

    const std::vector<std::string_view> unknown = {"--verbose", "manifest.json"};
    EXPECT_TRUE(ApplyCommandLine(unknown, options).has_value());
}

}  // namespace
}  // namespace kestrova::bridge
