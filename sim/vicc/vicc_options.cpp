#include "sim/vicc/vicc_options.h"

#include <charconv>
#include <optional>

namespace kestrova::sim::vicc {
namespace {

std::optional<long> NumberOf(std::string_view text, long min, long max) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::variant<ViccOptions, std::string> ParseViccOptions(
    std::span<const std::string_view> arguments) {
    ViccOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const bool takesValue = name == "--profile" || name == "--reader" || name == "--host" ||
                                name == "--port" || name == "--connect-timeout";
        if (!takesValue && inlineValue) {
            return std::string(name) + " takes no value";
        }
        std::string_view value;
        if (takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return std::string(name) + " needs a value";
            }
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--profile") {
            options.profilePath = value;
        } else if (name == "--reader") {
            options.readerName = value;
        } else if (name == "--host") {
            options.host = value;
        } else if (name == "--port") {
            const auto port = NumberOf(value, 1, 65535);
            if (!port) {
                return "--port must be a number from 1 to 65535";
            }
            options.port = static_cast<std::uint16_t>(*port);
        } else if (name == "--connect-timeout") {
            const auto seconds = NumberOf(value, 0, 3600);
            if (!seconds) {
                return "--connect-timeout must be a number of seconds from 0 to 3600";
            }
            options.connectTimeoutMs = static_cast<int>(*seconds * 1000);
        } else if (name == "--removed") {
            options.startRemoved = true;
        } else if (name == "--log-apdus") {
            options.logApdus = true;
        } else {
            return "unknown argument " + std::string(arguments[i]);
        }
    }
    return options;
}

std::string ViccUsage() {
    return "Usage: kestrova-vicc [OPTIONS]\n"
           "Serves one virtual financial card to pcscd through vpcd (vsmartcard-vpcd).\n"
           "\n"
           "  --profile FILE          card profile (JSON); default: the built-in profile\n"
           "  --reader NAME           serve the card of this profile reader; default: the\n"
           "                          first reader that has a card\n"
           "  --host ADDRESS          where vpcd listens (default 127.0.0.1)\n"
           "  --port N                vpcd's port: 35963 for \"Virtual PCD 00 00\", 35964 for\n"
           "                          \"Virtual PCD 00 01\" (default 35963)\n"
           "  --connect-timeout S     keep trying to reach vpcd this long (default 10)\n"
           "  --removed               start with the card out of the reader\n"
           "  --log-apdus             show every frame from vpcd and its answer on standard\n"
           "                          error\n"
           "\n"
           "Commands on standard input, one per line, each answered by one line on\n"
           "standard output (\"card removed\", \"card inserted\", \"armed\" or \"error: ...\"):\n"
           "  remove    take the card out (closes the connection to vpcd)\n"
           "  remove-after-command HEX [N]\n"
           "            take the card out right after it has answered the N-th (default 1)\n"
           "            command from now that starts with the bytes HEX; \"card removed\"\n"
           "            follows then\n"
           "  hold-after-command HEX [N]\n"
           "            the same, but the card stays in and says \"held\": what vpcd sends\n"
           "            next waits until \"release\" (answered \"released\")\n"
           "  insert    put it back (connects again: a fresh power-up)\n"
           "  quit      stop\n";
}

std::variant<CardContent, std::string> ChooseCard(const CardProfile& profile,
                                                  const std::string& readerName) {
    for (const ReaderProfile& reader : profile.readers) {
        if (!readerName.empty() && reader.name != readerName) {
            continue;
        }
        if (reader.card) {
            return *reader.card;
        }
        if (!readerName.empty()) {
            return "reader \"" + readerName + "\" of the profile has no card";
        }
    }
    if (!readerName.empty()) {
        return "the profile has no reader \"" + readerName + "\"";
    }
    return std::string("the profile has no reader with a card");
}

}  // namespace kestrova::sim::vicc
