#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {

void SimulatedPcscTest::SetUp() {
    ASSERT_NE(pcsc().library, nullptr) << "cannot load " << KESTROVA_SIM_PCSC_PATH;
    sim::Reset();
}

void SimulatedPcscTest::TearDown() {
    sim::Reset();
}

const sim::Bytes& SimulatedPcscTest::Atr() {
    static const sim::Bytes atr = sim::HexBytes("3B 02 14 50");
    return atr;
}

void SimulatedPcscTest::AddCardReader(const std::string& name, sim::Protocol protocol) {
    sim::ReaderSetup setup;
    setup.name = name;
    setup.cardPresent = true;
    setup.atr = Atr();
    setup.protocol = protocol;
    ASSERT_TRUE(sim::AddReader(setup));
}

void SimulatedPcscTest::AddEmptyReader(const std::string& name) {
    sim::ReaderSetup setup;
    setup.name = name;
    ASSERT_TRUE(sim::AddReader(setup));
}

std::shared_ptr<sim::ScriptedCard> SimulatedPcscTest::PlugScriptedCard(const std::string& reader,
                                                                          sim::Protocol protocol) {
    auto card = std::make_shared<sim::ScriptedCard>(Atr(), protocol);
    EXPECT_TRUE(sim::PlugCard(reader, card));
    return card;
}

SCARDCONTEXT SimulatedPcscTest::Establish() {
    SCARDCONTEXT context = 0;
    EXPECT_EQ(pcsc().establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context),
              SCARD_S_SUCCESS);
    return context;
}

LONG SimulatedPcscTest::TryConnect(SCARDCONTEXT context, const char* reader, DWORD shareMode,
                                      DWORD protocols, SCARDHANDLE* card, DWORD* activeProtocol) {
    SCARDHANDLE handle = 0;
    DWORD active = 0;
    const LONG result = pcsc().connect(context, reader, shareMode, protocols, &handle, &active);
    if (card != nullptr) {
        *card = handle;
    }
    if (activeProtocol != nullptr) {
        *activeProtocol = active;
    }
    return result;
}

SCARDHANDLE SimulatedPcscTest::Connect(SCARDCONTEXT context, const char* reader, DWORD shareMode,
                                          DWORD protocols) {
    SCARDHANDLE card = 0;
    EXPECT_EQ(TryConnect(context, reader, shareMode, protocols, &card), SCARD_S_SUCCESS)
        << "connecting to " << reader;
    return card;
}

LONG SimulatedPcscTest::StatusOf(SCARDHANDLE card) {
    return pcsc().status(card, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

LONG SimulatedPcscTest::Send(SCARDHANDLE card, const SCARD_IO_REQUEST* pci,
                                const sim::Bytes& command, sim::Bytes* response) {
    sim::Bytes buffer(258);
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG result =
        pcsc().transmit(card, pci, command.data(), static_cast<DWORD>(command.size()), nullptr,
                        buffer.data(), &length);
    if (response != nullptr) {
        buffer.resize(length);
        *response = buffer;
    }
    return result;
}

}  // namespace kestrova::sim_test
