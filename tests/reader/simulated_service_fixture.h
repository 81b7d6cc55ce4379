#pragma once

// Every test here binds the simulated PC/SC service by path, exactly as the
// system's service is bound, and starts from a process with nothing bound,
// no context and empty slots. Pauses are not slept: they are written into the
// service's event log, so a test sees them in order among the PC/SC calls.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pause.h"
#include "reader/card_service.h"
#include "reader/reader_registration.h"
#include "reader/service_binding.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::testing {

inline void RecordPause(std::uint32_t milliseconds) {
    sim::AppendEvent("pause " + std::to_string(milliseconds));
}

// Forgets the whole card-layer state: a fresh process as far as the reader
// layer can tell.
// Registers `name`; its slot, when it has one, goes to `slot`. Returns the code.
inline std::int32_t RegisterInto(const char* name, std::int32_t& slot) {
    const Registration registration = RegisterReader(name);
    if (registration.slot != 0) {
        slot = registration.slot;
    }
    return registration.code;
}

inline void ForgetCardService() {
    UnbindCardService();
    TheCardService() = CardService{};
}

class SimulatedServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        ForgetCardService();
        SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
        previousPause_ = platform::ReplacePause(&RecordPause);
    }

    void TearDown() override {
        platform::ReplacePause(previousPause_);
        ForgetCardService();
        SetCardServiceLibrary(nullptr);
        sim::Reset();
    }

    static void AddReaderWithCard(const std::string& name,
                                  sim::Protocol protocol = sim::Protocol::kT0,
                                  sim::Bytes atr = {0x3B, 0x02, 0x14, 0x50}) {
        sim::ReaderSetup setup;
        setup.name = name;
        setup.cardPresent = true;
        setup.atr = std::move(atr);
        setup.protocol = protocol;
        ASSERT_TRUE(sim::AddReader(setup)) << name;
    }

    static void AddEmptyReader(const std::string& name) {
        sim::ReaderSetup setup;
        setup.name = name;
        ASSERT_TRUE(sim::AddReader(setup)) << name;
    }

    static ReaderSlot& Slot(std::int32_t number) {
        return TheCardService().slots[static_cast<std::size_t>(number - 1)];
    }

    static std::string SlotName(std::int32_t number) { return Slot(number).readerName.data(); }

    // The event log from now on only.
    static void StartLog() { sim::ClearEvents(); }

    // Each event cut at its first " -> " or "(": enough to read the order of
    // calls and pauses; tests that care about an argument look at the whole
    // line.
    static std::vector<std::string> CallNames() {
        std::vector<std::string> names;
        for (const std::string& event : sim::Events()) {
            names.push_back(event.substr(0, event.find('(')));
        }
        return names;
    }

    // The events that begin with `prefix`.
    static std::vector<std::string> EventsStartingWith(std::string_view prefix) {
        std::vector<std::string> found;
        for (const std::string& event : sim::Events()) {
            if (std::string_view(event).substr(0, prefix.size()) == prefix) {
                found.push_back(event);
            }
        }
        return found;
    }

    // The one event that begins with `prefix`; fails the test otherwise.
    static std::string OnlyEvent(std::string_view prefix) {
        std::vector<std::string> found = EventsStartingWith(prefix);
        EXPECT_EQ(found.size(), 1U) << "events starting with " << prefix;
        return found.empty() ? std::string() : found.front();
    }

    // A handle as the event log writes it.
    static std::string HandleText(SCARDHANDLE handle) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(handle));
        return text;
    }

    static bool Contains(const std::string& text, std::string_view part) {
        return text.find(part) != std::string::npos;
    }

  private:
    platform::PauseFunction previousPause_ = nullptr;
};

}  // namespace kestrova::testing
