#include "control/hosting_page_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "tests/support/fixed_hosting_page.h"

namespace kestrova {
namespace {

using test_support::FixedHostingPage;

// Built from the configured entries so the cases hold for any build.
const std::string kAddress = kConfiguredAllowedHosts[0];
const std::string kName = kConfiguredAllowedHosts[1];

bool Allowed(std::string_view url) {
    return IsAllowedPageAddress(url, kConfiguredAllowedHosts);
}

void ExpectAllowed(const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
        EXPECT_TRUE(Allowed(url)) << url;
    }
}

void ExpectRefused(const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
        EXPECT_FALSE(Allowed(url)) << url;
    }
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

TEST(HostingPageDecision, AllowedHostsOverHttps) {
    ExpectAllowed({
        "https://" + kName + "/",
        "https://" + kName,
        "https://" + Upper(kName) + "/",
        "https://" + Upper(kName.substr(0, 3)) + kName.substr(3) + "/",
        "HTTPS://" + kName + "/",
        "hTtPs://" + kName + "/",
        "https://www." + kName + "/",
        "https://a.b-c.d_e." + kName + "/",
        "https://" + kAddress + "/",
    });
}

TEST(HostingPageDecision, PortUserNamePathAndQueryDoNotMatter) {
    ExpectAllowed({
        "https://" + kName + ":8443/",
        "https://" + kAddress + ":443/login",
        "https://user@" + kName + "/",
        "https://user:secret@" + kName + ":444/",
        "https://evil.example@" + kName + "/",
        "https://" + kName + "/bank/card.aspx?next=https://evil.example/#top",
        "https://" + kName + "/@evil.example",
        "https://" + kName + "\\path\\page.html",
    });
}

TEST(HostingPageDecision, RefusedSchemesAndHosts) {
    ExpectRefused({
        "http://" + kName + "/",
        "HTTP://" + kAddress + "/",
        "httpss://" + kName + "/",
        "ftp://" + kName + "/",
        "wss://" + kName + "/",
        "https://x" + kName + "/",
        "https://evil-" + kName + "/",
        "https://" + kName.substr(kName.find('.') + 1) + "/",
        "https://" + kName + ".evil.example/",
        "https://" + kName + "x/",
        "https://192.0.2.11/",
        "https://" + kAddress + "0/",
        "https://1" + kAddress + "/",
        "https://evil.example/" + kName,
        "https://evil.example/?" + kName,
    });
}

TEST(HostingPageDecision, LocalFilesAndOtherPagesAreRefused) {
    ExpectRefused({
        "",
        "file:///C:/bank/" + kName + ".html",
        "file://" + kName + "/share/page.html",
        "about:blank",
        kName,
        "//" + kName + "/",
        "https:" + kName,
        "https:/" + kName,
    });
}

TEST(HostingPageDecision, UserNameTricksAreRefused) {
    ExpectRefused({
        "https://" + kName + "@evil.example/",
        "https://" + kName + ":443@evil.example/",
        "https://" + kName + "@evil.example/@" + kName,
        "https://" + kAddress + "@evil.example/",
        "https://" + kName + "%40evil.example/",
        "https://evil.example?@" + kName + "/",
        "https://evil.example#@" + kName + "/",
        "https://evil.example/@" + kName + "/",
    });
}

TEST(HostingPageDecision, BackslashesEndTheHostAsInBrowsers) {
    ExpectRefused({
        "https://evil.example\\." + kName + "/",
        "https://evil.example\\@" + kName + "/",
        "https:\\\\" + kName + "/",
        "https:/\\" + kName + "/",
        "https://evil.example%5C." + kName + "/",
    });
}

TEST(HostingPageDecision, PercentEncodedDotsDecodeToTheHostBrowsersUse) {
    std::string encodedDots = kName;
    for (std::size_t dot = encodedDots.find('.'); dot != std::string::npos;
         dot = encodedDots.find('.', dot)) {
        encodedDots.replace(dot, 1, "%2e");
    }
    ExpectAllowed({"https://" + encodedDots + "/", "https://www%2E" + kName + "/"});
    ExpectRefused({
        "https://" + kName + "%2Eevil.example/",
        "https://evil.example%2F." + kName + "/",
        "https://evil.example%2F%2E" + kName + "/",
        "https://" + kName + "%2E/",
        "https://www%252E" + kName + "/",
    });
}

TEST(HostingPageDecision, NulInTheHostNeverShortensIt) {
    using namespace std::string_literals;
    ExpectRefused({
        "https://" + kName + "%00.evil.example/",
        "https://" + kName + "%00/",
        "https://evil.example%00." + kName + "/",
        "https://" + kName + "%00@evil.example/",
        "https://" + kName + "\0.evil.example/"s,
        "https://evil.example\0."s + kName + "/",
        "https://" + kAddress + "%00.evil.example/",
    });
}

// A fully qualified name with its final dot reaches the same server, but the
// comparison is of text: refused, never widened to other hosts.
TEST(HostingPageDecision, TrailingDotsAreRefused) {
    ExpectRefused({
        "https://" + kName + "./",
        "https://www." + kName + "./",
        "https://" + kName + "../",
        "https://" + kAddress + "./",
        "https://evil.example./",
        "https://evil.example.." + kName + "/",
        "https://." + kName + "/",
    });
}

TEST(HostingPageDecision, Ipv6LiteralsAndOtherAddressSpellingsAreRefused) {
    ExpectRefused({
        "https://[::ffff:" + kAddress + "]/",
        "https://[::ffff:c000:20a]/",
        "https://[2001:db8::1]/",
        "https://[" + kName + "]/",
        "https://[v1." + kAddress + "]/",
        "https://3221226026/",
        "https://0xc0.0.2.10/",
        "https://x." + kAddress + "/",
        "https://1." + kAddress + "/",
    });
}

TEST(HostingPageDecision, HostsOf259CharactersParse260DoNot) {
    const std::string host259 = std::string(259 - 1 - kName.size(), 'a') + "." + kName;
    ASSERT_EQ(host259.size(), 259u);
    EXPECT_TRUE(Allowed("https://" + host259 + "/"));
    EXPECT_FALSE(Allowed("https://a" + host259 + "/"));
}

TEST(HostingPageCheck, NotSitedOrUnnamedPagesAreRefused) {
    AllowedHostPair fields{};
    EXPECT_EQ(GetHostingPageUrl(nullptr), "");
    EXPECT_EQ(CheckHostingPage(nullptr, fields), kHostingPageRefused);

    FixedHostingPage unnamed(std::nullopt);
    EXPECT_EQ(GetHostingPageUrl(&unnamed), "");
    EXPECT_EQ(CheckHostingPage(&unnamed, fields), kHostingPageRefused);

    FixedHostingPage empty(u"");
    EXPECT_EQ(CheckHostingPage(&empty, fields), kHostingPageRefused);
}

TEST(HostingPageCheck, StoresTheConfiguredHostsEveryTime) {
    AllowedHostPair fields{"stale", nullptr};
    EXPECT_FALSE(IsHostingPageAllowed(nullptr, fields));
    EXPECT_EQ(fields, kConfiguredAllowedHosts);

    fields = {nullptr, "overwritten"};
    FixedHostingPage page(platform::AnsiToUtf16("https://" + kName + "/"));
    EXPECT_TRUE(IsHostingPageAllowed(&page, fields));
    EXPECT_EQ(fields, kConfiguredAllowedHosts);
}

TEST(HostingPageCheck, AsksThePageOnEveryRun) {
    AllowedHostPair fields{};
    FixedHostingPage page(platform::AnsiToUtf16("https://" + kName + "/"));
    EXPECT_EQ(CheckHostingPage(&page, fields), kHostingPageAllowed);
    page.SetDisplayName(platform::AnsiToUtf16("https://evil.example/"));
    EXPECT_EQ(CheckHostingPage(&page, fields), kHostingPageRefused);
    page.SetDisplayName(platform::AnsiToUtf16("https://" + kAddress + "/"));
    EXPECT_EQ(CheckHostingPage(&page, fields), kHostingPageAllowed);
    EXPECT_EQ(page.AskCount(), 3);
}

TEST(HostingPageCheck, AddressIsConvertedToTheCodePage) {
    AllowedHostPair fields{};
    FixedHostingPage page(u"https://" + platform::AnsiToUtf16(kName) + u"/交易?帳號=1");
    EXPECT_EQ(GetHostingPageUrl(&page),
              "https://" + kName + "/\xA5\xE6\xA9\xF6?\xB1\x62\xB8\xB9=1");
    EXPECT_TRUE(IsHostingPageAllowed(&page, fields));
}

// The code page would put '?' for the character, ending the host early:
// "https://name?@evil.example" would look like a page of name.
TEST(HostingPageCheck, AddressTheCodePageCannotHoldIsRefused) {
    AllowedHostPair fields{};
    FixedHostingPage page(u"https://" + platform::AnsiToUtf16(kName) + u"\U0001F600@evil.example/");
    EXPECT_EQ(GetHostingPageUrl(&page), "");
    EXPECT_FALSE(IsHostingPageAllowed(&page, fields));

    FixedHostingPage pathOnly(u"https://" + platform::AnsiToUtf16(kName) + u"/\U0001F600");
    EXPECT_FALSE(IsHostingPageAllowed(&pathOnly, fields));

    FixedHostingPage loneSurrogate(u"https://" + platform::AnsiToUtf16(kName) +
                                   u"\xD800@evil.example/");
    EXPECT_FALSE(IsHostingPageAllowed(&loneSurrogate, fields));
}

}  // namespace
}  // namespace kestrova
