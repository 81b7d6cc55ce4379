#pragma once

// A scripted card in a reader of the simulated service: each test states the
// exact commands the card must receive and the answers it gives.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "card/response_fields.h"
#include "reader/reader_operations.h"
#include "sim/service/hex_bytes.h"
#include "sim/service/scripted_card.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova::testing {

inline constexpr std::int32_t kCardSlot = 1;

class ScriptedCardTest : public SimulatedServiceTest {
  protected:
    // With `connect`, the card is opened in slot 1 as ConnectCard opens it.
    void InsertScriptedCard(sim::Protocol protocol, const std::string& readerName = "Reader A",
                            bool connect = true) {
        AddEmptyReader(readerName);
        card_ = std::make_shared<sim::ScriptedCard>(sim::HexBytes("3B 02 14 50"), protocol);
        ASSERT_TRUE(sim::PlugCard(readerName, card_));
        if (connect) {
            std::int32_t slot = 0;
            std::int32_t readerCount = 1;
            std::int32_t textLength = 0;
            AtrText text{};
            ASSERT_EQ(OpenCard(readerName.c_str(), slot, readerCount, textLength, text), 0);
            ASSERT_EQ(slot, kCardSlot);
        }
    }

    void Expect(std::string_view command, std::string_view response) {
        card_->Expect(sim::HexBytes(command), sim::HexBytes(response));
    }

    // Every expected command arrived, byte for byte, and nothing else did.
    void ExpectAllExchanged() const {
        EXPECT_EQ(card_->Report(), "");
        EXPECT_TRUE(card_->AllConsumed());
    }

    std::size_t CommandCount() const { return card_->CommandCount(); }

    std::shared_ptr<sim::ScriptedCard> card_;
};

// For commands that store the card's answer in the control's response fields.
class ScriptedCardResponseTest : public ScriptedCardTest {
  protected:
    // "lastError lastResultCode respLength respData".
    std::string Fields() const {
        return std::to_string(lastError_) + " " + std::to_string(lastResultCode_) + " " +
               std::to_string(respLength_) + " " + respData_;
    }
    // The fields with values of an earlier call, which each command must clear.
    ResponseFields& Stale() {
        lastError_ = 11;
        lastResultCode_ = 22;
        respLength_ = 33;
        respData_ = "EARLIER";
        return fields_;
    }

    std::int32_t lastError_ = 0;
    std::int32_t lastResultCode_ = 0;
    std::int32_t respLength_ = 0;
    std::string respData_;
    ResponseFields fields_{lastError_, lastResultCode_, respLength_, respData_};
};

}  // namespace kestrova::testing
