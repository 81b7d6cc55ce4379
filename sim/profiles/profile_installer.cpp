#include "sim/profiles/profile_installer.h"

#include <memory>

#include "sim/card/financial_card.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::sim {
namespace {

bool Refuse(std::string* error, const std::string& reader, const char* what) {
    if (error != nullptr) {
        *error =
            "the simulated service refused " + std::string(what) + " of reader \"" + reader + "\"";
    }
    return false;
}

}  // namespace

bool InstallCardProfile(const CardProfile& profile, std::string* error) {
    Reset();
    for (const ReaderProfile& reader : profile.readers) {
        ReaderSetup setup;
        setup.name = reader.name;
        setup.attributes = reader.attributes;
        if (!AddReader(setup)) {
            return Refuse(error, reader.name, "the setup");
        }
        if (!reader.card) {
            continue;
        }
        if (!PlugCard(reader.name, std::make_shared<FinancialCard>(*reader.card))) {
            return Refuse(error, reader.name, "the card");
        }
        if (!reader.cardPresent && !RemoveCard(reader.name)) {
            return Refuse(error, reader.name, "taking out the card");
        }
    }
    ClearEvents();
    return true;
}

}  // namespace kestrova::sim
