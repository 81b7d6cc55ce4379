#pragma once

// A sample card and a way to talk to it in hex text, for the card tests.

#include <string>
#include <string_view>

#include "sim/card/card_content.h"
#include "sim/card/financial_card.h"
#include "sim/service/hex_bytes.h"

namespace kestrova::sim_card_test {

// Issuer "0040001" (seven characters), remark A1 B2 C3, serial
// 11 22 ... 88 then 8 zero bytes, EF1001 with 4 slots: an account, an
// unused slot, an account with letters, then one more unused slot; EF1002
// with 2 slots, one account; PIN 123456 with 3 tries; the key
// 0123456789ABCDEF FEDCBA9876543210; SNUM from 41.
sim::CardContent SampleContent(sim::Protocol protocol);

// The command in hex text, the whole answer back in hex text.
inline std::string Send(sim::FinancialCard& card, std::string_view command) {
    return sim::HexText(card.Answer(sim::HexBytes(command)));
}

inline std::string Hex(std::string_view text) {
    return sim::HexText(sim::Bytes(text.begin(), text.end()));
}

// SELECT of the application, answered as the protocol answers it.
void SelectApplication(sim::FinancialCard& card);
void VerifyPin(sim::FinancialCard& card, std::string_view pinBlock = "123456FFFFFFFFFF");

}  // namespace kestrova::sim_card_test
