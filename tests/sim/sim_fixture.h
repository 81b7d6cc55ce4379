#pragma once

// A fresh simulated service for every test, called through the bound
// functions as the card layer calls them.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/service/hex_bytes.h"
#include "sim/service/scripted_card.h"
#include "sim/service/simulated_pcsc.h"
#include "tests/sim/bound_service.h"

namespace kestrova::sim_test {

inline constexpr DWORD kT0OrT1 = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;

class SimulatedPcscTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    static const BoundService& pcsc() { return Service(); }

    static const sim::Bytes& Atr();

    // A reader whose (plain) card is in it, or a reader without a card.
    void AddCardReader(const std::string& name, sim::Protocol protocol = sim::Protocol::kT0);
    void AddEmptyReader(const std::string& name);
    std::shared_ptr<sim::ScriptedCard> PlugScriptedCard(
        const std::string& reader, sim::Protocol protocol = sim::Protocol::kT0);

    SCARDCONTEXT Establish();
    // Expects the connection to succeed; returns its handle (0 on failure).
    SCARDHANDLE Connect(SCARDCONTEXT context, const char* reader, DWORD shareMode,
                        DWORD protocols = kT0OrT1);
    LONG TryConnect(SCARDCONTEXT context, const char* reader, DWORD shareMode, DWORD protocols,
                    SCARDHANDLE* card = nullptr, DWORD* activeProtocol = nullptr);

    // SCardStatus asking for nothing but the result.
    LONG StatusOf(SCARDHANDLE card);
    // One command with the given protocol record, response into *response.
    LONG Send(SCARDHANDLE card, const SCARD_IO_REQUEST* pci, const sim::Bytes& command,
              sim::Bytes* response = nullptr);
};

}  // namespace kestrova::sim_test
