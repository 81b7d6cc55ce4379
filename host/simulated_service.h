#pragma once

// `--simulate`: the simulated PC/SC service and its virtual cards, loaded
// from the libraries installed beside the kestrova program.

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "host/simulated_readers.h"
#include "platform/dynamic_library.h"

struct KestrovaSimulation;

namespace kestrova::host {

class SimulatedService final : public SimulatedReaders {
  public:
    // Loads the service with its cards and installs the card profile in the
    // JSON file at profilePath, or the built-in profile when it is empty. On
    // failure, the reason: a missing library or a profile error naming the
    // file and the field.
    static std::variant<std::unique_ptr<SimulatedService>, std::string> Start(
        const std::string& profilePath);

    ~SimulatedService() override;
    SimulatedService(const SimulatedService&) = delete;
    SimulatedService& operator=(const SimulatedService&) = delete;

    // The service library to bind by path: the one the cards were put in.
    const std::string& ServiceLibraryPath() const { return serviceLibraryPath_; }

    // The first reader of the profile that has a card, whether in or out.
    std::string DefaultReader() const override;
    std::optional<std::string> CheckReader(const std::string& reader) const override;
    std::optional<std::string> RemoveCard(const std::string& reader) override;
    std::optional<std::string> InsertCard(const std::string& reader) override;

  private:
    SimulatedService(platform::DynamicLibrary* library, const KestrovaSimulation* simulation,
                     std::string serviceLibraryPath);

    platform::DynamicLibrary* library_;
    const KestrovaSimulation* simulation_;
    std::string serviceLibraryPath_;
    std::string defaultReader_;
};

}  // namespace kestrova::host
