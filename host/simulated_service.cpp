#include "host/simulated_service.h"

#include <filesystem>
#include <system_error>

#include "platform/executable_location.h"
#include "sim/simulation_plugin.h"

#if !defined(KESTROVA_SIM_LIBRARY_DIR) || !defined(KESTROVA_SIM_SERVICE_FILE) || \
    !defined(KESTROVA_SIM_CARDS_FILE)
#error "The build names the simulated service's libraries and where they are"
#endif

namespace kestrova::host {
namespace {

// Where the build puts the libraries, relative to the folder of kestrova.
constexpr const char* kLibraryDirectory = KESTROVA_SIM_LIBRARY_DIR;
constexpr const char* kServiceFile = KESTROVA_SIM_SERVICE_FILE;
constexpr const char* kCardsFile = KESTROVA_SIM_CARDS_FILE;

std::string MoveFailure(int result, bool removing, const std::string& reader) {
    switch (result) {
        case kKestrovaCardMoved:
            return {};
        case kKestrovaNoSuchReader:
            return "no reader \"" + reader + "\" in the simulated service";
        case kKestrovaReaderWithoutCard:
            return "reader \"" + reader + "\" has no card";
        case kKestrovaCardAlreadyThere:
            return removing ? "the card is already out of \"" + reader + "\""
                            : "the card is already in \"" + reader + "\"";
        default:
            return "the simulated service answered " + std::to_string(result);
    }
}

void CollectReport(void* context, const char* message) {
    *static_cast<std::string*>(context) = message != nullptr ? message : "";
}

}  // namespace

std::variant<std::unique_ptr<SimulatedService>, std::string> SimulatedService::Start(
    const std::string& profilePath) {
    const std::string programDirectory = platform::ExecutableDirectory();
    if (programDirectory.empty()) {
        return std::string(
            "cannot tell which folder kestrova runs from, to find the "
            "simulated service beside it");
    }
    std::error_code ignored;
    const std::filesystem::path directory = std::filesystem::weakly_canonical(
        std::filesystem::path(programDirectory) / kLibraryDirectory, ignored);
    const std::string servicePath = (directory / kServiceFile).string();
    const std::string cardsPath = (directory / kCardsFile).string();
    for (const std::string& path : {servicePath, cardsPath}) {
        if (!std::filesystem::is_regular_file(path, ignored)) {
            return "the simulated service is not installed beside kestrova: " + path +
                   " is missing";
        }
    }
    platform::DynamicLibrary* library = platform::LoadDynamicLibrary(cardsPath.c_str());
    if (library == nullptr) {
        return "cannot load the simulated service's cards from " + cardsPath;
    }
    using Entry = const KestrovaSimulation* (*)();
    const auto entry =
        reinterpret_cast<Entry>(platform::FindLibrarySymbol(library, sim::kSimulationEntryName));
    const KestrovaSimulation* simulation = entry != nullptr ? entry() : nullptr;
    if (simulation == nullptr || simulation->version != sim::kKestrovaSimulationVersion) {
        platform::UnloadDynamicLibrary(library);
        return cardsPath + " is not the simulated service this kestrova was built with";
    }
    std::unique_ptr<SimulatedService> service(
        new SimulatedService(library, simulation, servicePath));
    std::string error;
    if (simulation->installProfile(profilePath.empty() ? nullptr : profilePath.c_str(),
                                   &CollectReport, &error) == 0) {
        return error;
    }
    const char* defaultReader = simulation->firstReaderWithCard();
    service->defaultReader_ = defaultReader != nullptr ? defaultReader : "";
    return service;
}

SimulatedService::SimulatedService(platform::DynamicLibrary* library,
                                   const KestrovaSimulation* simulation,
                                   std::string serviceLibraryPath)
    : library_(library),
      simulation_(simulation),
      serviceLibraryPath_(std::move(serviceLibraryPath)) {}

SimulatedService::~SimulatedService() {
    platform::UnloadDynamicLibrary(library_);
}

std::string SimulatedService::DefaultReader() const {
    return defaultReader_;
}

std::optional<std::string> SimulatedService::CheckReader(const std::string& reader) const {
    const int result = simulation_->checkReader(reader.c_str());
    if (result == kKestrovaCardMoved) {
        return std::nullopt;
    }
    return MoveFailure(result, true, reader);
}

std::optional<std::string> SimulatedService::RemoveCard(const std::string& reader) {
    const int result = simulation_->removeCard(reader.c_str());
    if (result == kKestrovaCardMoved) {
        return std::nullopt;
    }
    return MoveFailure(result, true, reader);
}

std::optional<std::string> SimulatedService::InsertCard(const std::string& reader) {
    const int result = simulation_->insertCard(reader.c_str());
    if (result == kKestrovaCardMoved) {
        return std::nullopt;
    }
    return MoveFailure(result, false, reader);
}

}  // namespace kestrova::host
