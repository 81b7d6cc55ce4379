#pragma once

// The command line of kestrova-vicc, and the card it chooses from a profile.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "sim/profiles/card_profile.h"

namespace kestrova::sim::vicc {

// vpcd listens on 35963 for its first reader ("Virtual PCD 00 00") and on
// 35964 for its second.
inline constexpr std::uint16_t kFirstVpcdPort = 35963;

struct ViccOptions {
    bool help = false;
    std::string profilePath;  // empty: the built-in profile
    std::string readerName;   // empty: the profile's first reader with a card
    std::string host = "127.0.0.1";
    std::uint16_t port = kFirstVpcdPort;
    int connectTimeoutMs = 10000;
    bool startRemoved = false;
    bool logApdus = false;
};

// The arguments after the program name; an error message on bad ones.
std::variant<ViccOptions, std::string> ParseViccOptions(
    std::span<const std::string_view> arguments);

std::string ViccUsage();

// The card of the named reader (or of the first reader that has one).
std::variant<CardContent, std::string> ChooseCard(const CardProfile& profile,
                                                  const std::string& readerName);

}  // namespace kestrova::sim::vicc
