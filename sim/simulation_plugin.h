#pragma once

// The simulated PC/SC service with its virtual financial cards, as a library
// a host loads at run time (`kestrova run --simulate`). The host does not
// link the simulated service: a kestrova without it still starts and binds
// the system's service. Loaded, this library brings the simulated service
// with it (it links it), so binding the service library by path afterwards
// reaches the same readers and cards.
//
// The host finds one C function by name and gets a table of plain C
// functions, so nothing depends on how either side was compiled.

#include <cstddef>
#include <cstdint>

extern "C" {

// Results of taking a card out or putting it back.
enum KestrovaCardMoveResult : int {
    kKestrovaCardMoved = 0,
    kKestrovaNoSuchReader = 1,
    kKestrovaReaderWithoutCard = 2,  // the profile gives the reader no card
    kKestrovaCardAlreadyThere = 3,   // already out (remove) or already in (insert)
};

typedef void (*KestrovaReportFunction)(void* context, const char* message);

struct KestrovaSimulation {
    std::uint32_t version;  // kKestrovaSimulationVersion

    // Resets the simulated service and installs the card profile in the JSON
    // file at `profilePath`, or the built-in profile when it is null. On
    // failure calls `report` once with the reason (which names the file and
    // the field) and returns 0; else returns 1.
    int (*installProfile)(const char* profilePath, KestrovaReportFunction report, void* context);

    // The first reader of the installed profile that has a card (in it or
    // taken out), or null when none has. Valid until the next installProfile.
    const char* (*firstReaderWithCard)();

    // Take the card out of the named reader / put it back. Safe to call from
    // any thread while the service is in use; not while installProfile runs.
    int (*removeCard)(const char* reader);
    int (*insertCard)(const char* reader);

    // Whether the reader exists and has a card to move: kKestrovaCardMoved
    // (0) when it has, else the reason removeCard and insertCard would give.
    int (*checkReader)(const char* reader);
};

// The library's one exported name.
const KestrovaSimulation* kestrova_simulation();

}  // extern "C"

namespace kestrova::sim {

inline constexpr std::uint32_t kKestrovaSimulationVersion = 1;
inline constexpr const char* kSimulationEntryName = "kestrova_simulation";

}  // namespace kestrova::sim
