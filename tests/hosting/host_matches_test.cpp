#include <gtest/gtest.h>

#include "control/hosting_page_check.h"

namespace kestrova {
namespace {

TEST(HostMatches, EqualNamesMatchInAnyCase) {
    EXPECT_TRUE(HostMatches("card.kestrova.example.com", "card.kestrova.example.com"));
    EXPECT_TRUE(HostMatches("card.kestrova.example.com", "CARD.Kestrova.EXAMPLE.com"));
    EXPECT_TRUE(HostMatches("Card.Kestrova.Example.Com", "card.kestrova.example.com"));
    EXPECT_TRUE(HostMatches("192.0.2.10", "192.0.2.10"));
}

TEST(HostMatches, SubdomainsMatchOnlyAfterADot) {
    EXPECT_TRUE(HostMatches("card.kestrova.example.com", "www.card.kestrova.example.com"));
    EXPECT_TRUE(HostMatches("card.kestrova.example.com", "a.b.Card.kestrova.example.com"));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "xcard.kestrova.example.com"));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "evil-card.kestrova.example.com"));
    EXPECT_FALSE(HostMatches("192.0.2.10", "192.0.2.100"));
    EXPECT_FALSE(HostMatches("192.0.2.10", "10.192.0.2.10x"));
}

TEST(HostMatches, OtherHostsDoNotMatch) {
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "kestrova.example.com"));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "card.kestrova.example.com.evil"));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "card.kestrova.example.com."));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "card.kestrova.example.co"));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", "card.kestrovb.example.com"));
    EXPECT_FALSE(HostMatches("card.kestrova.example.com", ""));
}

// An empty entry would otherwise match every host ending in a dot.
TEST(HostMatches, EmptyAllowedNameMatchesNothing) {
    EXPECT_FALSE(HostMatches("", ""));
    EXPECT_FALSE(HostMatches("", "evil.example."));
    EXPECT_FALSE(HostMatches("", "evil.example"));
}

}  // namespace
}  // namespace kestrova
