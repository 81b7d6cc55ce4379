#include "sim/card/command_apdu.h"

namespace kestrova::sim {
namespace {

constexpr std::size_t kHeaderLength = 4;

std::size_t LengthOf(std::uint8_t lengthByte) {
    return lengthByte == 0 ? 256 : lengthByte;
}

}  // namespace

std::optional<CommandApdu> ParseCommandApdu(const Bytes& command) {
    if (command.size() < kHeaderLength) {
        return std::nullopt;
    }
    CommandApdu apdu;
    apdu.cla = command[0];
    apdu.ins = command[1];
    apdu.p1 = command[2];
    apdu.p2 = command[3];
    const std::size_t body = command.size() - kHeaderLength;
    if (body == 0) {
        return apdu;
    }
    const std::uint8_t first = command[kHeaderLength];
    if (body == 1) {
        apdu.le = LengthOf(first);
        return apdu;
    }
    // Short form only: Lc 00 with more bytes after it would be the extended
    // form, which the card does not speak.
    if (first == 0) {
        return std::nullopt;
    }
    const std::size_t lc = first;
    if (body == 1 + lc) {
        apdu.data.assign(command.begin() + kHeaderLength + 1, command.end());
        return apdu;
    }
    if (body == 2 + lc) {
        apdu.data.assign(command.begin() + kHeaderLength + 1, command.end() - 1);
        apdu.le = LengthOf(command.back());
        return apdu;
    }
    return std::nullopt;
}

std::uint16_t WithLength(std::uint16_t base, std::size_t length) {
    return static_cast<std::uint16_t>(base | (length & 0xFF));
}

Bytes ResponseOf(const Bytes& data, std::uint16_t statusWord) {
    Bytes response = data;
    response.push_back(static_cast<std::uint8_t>(statusWord >> 8));
    response.push_back(static_cast<std::uint8_t>(statusWord & 0xFF));
    return response;
}

}  // namespace kestrova::sim
