#include "sim/simulation_plugin.h"

#include <string>
#include <variant>
#include <vector>

#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_installer.h"
#include "sim/service/export.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::sim {
namespace {

struct InstalledReader {
    std::string name;
    bool hasCard = false;
};

// Written only by InstallProfile, before any other thread may move cards.
std::vector<InstalledReader>& InstalledReaders() {
    static std::vector<InstalledReader> readers;
    return readers;
}

const InstalledReader* FindReader(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (const InstalledReader& reader : InstalledReaders()) {
        if (reader.name == name) {
            return &reader;
        }
    }
    return nullptr;
}

int InstallProfile(const char* profilePath, KestrovaReportFunction report, void* context) {
    const auto fail = [&](const std::string& message) {
        if (report != nullptr) {
            report(context, message.c_str());
        }
        return 0;
    };
    InstalledReaders().clear();
    ProfileResult loaded =
        profilePath == nullptr ? ProfileResult(DefaultCardProfile()) : LoadCardProfile(profilePath);
    if (const auto* error = std::get_if<ProfileError>(&loaded)) {
        return fail(error->message);
    }
    const CardProfile& profile = std::get<CardProfile>(loaded);
    std::string installError;
    if (!InstallCardProfile(profile, &installError)) {
        return fail(installError);
    }
    for (const ReaderProfile& reader : profile.readers) {
        InstalledReaders().push_back({reader.name, reader.card.has_value()});
    }
    // A host serving pages keeps no log: nobody reads it.
    RecordEvents(false);
    return 1;
}

const char* FirstReaderWithCard() {
    for (const InstalledReader& reader : InstalledReaders()) {
        if (reader.hasCard) {
            return reader.name.c_str();
        }
    }
    return nullptr;
}

int CheckReader(const char* name) {
    const InstalledReader* reader = FindReader(name);
    if (reader == nullptr) {
        return kKestrovaNoSuchReader;
    }
    return reader->hasCard ? kKestrovaCardMoved : kKestrovaReaderWithoutCard;
}

int MoveCard(const char* name, bool (*move)(std::string_view)) {
    const int check = CheckReader(name);
    if (check != kKestrovaCardMoved) {
        return check;
    }
    return move(name) ? kKestrovaCardMoved : kKestrovaCardAlreadyThere;
}

int RemoveCardFrom(const char* reader) {
    return MoveCard(reader, &RemoveCard);
}

int InsertCardInto(const char* reader) {
    return MoveCard(reader, &InsertCard);
}

constexpr KestrovaSimulation kSimulation = {
    kKestrovaSimulationVersion,
    &InstallProfile,
    &FirstReaderWithCard,
    &RemoveCardFrom,
    &InsertCardInto,
    &CheckReader,
};

}  // namespace
}  // namespace kestrova::sim

extern "C" KESTROVA_SIM_API const KestrovaSimulation* kestrova_simulation() {
    return &kestrova::sim::kSimulation;
}
