// The PC/SC service and its readers, as `kestrova doctor` reports them.

#include <cstdio>
#include <string>
#include <vector>

#include "host/doctor.h"
#include "platform/service_version_info.h"
#include "reader/reader_probe.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

namespace kestrova::host {
namespace {

constexpr std::int32_t kNoService = static_cast<std::int32_t>(0x8010001DU);
constexpr std::int32_t kServiceStopped = static_cast<std::int32_t>(0x8010001EU);

#ifdef _WIN32
constexpr const char* kStartService =
    "start the Smart Card service (services.msc, or 'sc start SCardSvr' as an administrator)";
constexpr const char* kInstallService =
    "the system's winscard.dll cannot be loaded: repair Windows";
#else
constexpr const char* kStartService =
    "start the PC/SC service: sudo systemctl enable --now pcscd.socket";
constexpr const char* kInstallService = "install it: sudo apt install pcscd libpcsclite1";
#endif

std::string Hex(std::int32_t code) {
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code)));
    return text;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char pair[3];
        static_cast<void>(std::snprintf(pair, sizeof pair, "%02X", byte));
        text += pair;
    }
    return text;
}

std::string ServiceDescription() {
    const platform::LibraryVersionInfo info =
        platform::ReadLibraryVersionInfo(CardServiceLibrary());
    std::string text = CardServiceLibrary();
    if (!info.fileDescription.empty() && info.fileDescription != text) {
        text += " (" + info.fileDescription + ")";
    }
    if (!info.fileVersion.empty()) {
        text += ", version " + info.fileVersion;
    }
    return text;
}

void ReportReader(DoctorReport& report, const ProbedReader& reader) {
    const std::string title = "Reader \"" + reader.name + "\"";
    switch (reader.card) {
        case CardPresence::kPresent:
            report.Pass("reader", title, "a card is in it, ATR " + HexBytes(reader.atr));
            return;
        case CardPresence::kAbsent:
            report.Pass("reader", title, "no card in it");
            return;
        case CardPresence::kInUse:
            report.Pass("reader", title, "a card is in it, in use by another program");
            return;
        case CardPresence::kUnresponsive:
            report.Fail("reader", title, "a card is in it but does not answer",
                        "take the card out and put it in again the right way round, chip first");
            return;
        case CardPresence::kUnknown:
            report.Fail("reader", title, "the service answers " + Hex(reader.result),
                        "unplug the reader and plug it in again");
            return;
    }
}

}  // namespace

void CheckCardService(DoctorReport& report) {
    const std::string title = "PC/SC service";
    if (BindCardService() != kResultSuccess) {
        report.Fail("pcsc-service", title,
                    std::string("its library ") + CardServiceLibrary() + " cannot be loaded",
                    kInstallService);
        return;
    }
    std::vector<ProbedReader> readers;
    const std::int32_t result = ProbeReaders(readers);
    if (result == kNoService || result == kServiceStopped) {
        report.Fail("pcsc-service", title, "not running (" + ServiceDescription() + ")",
                    kStartService);
        return;
    }
    if (result != kResultSuccess) {
        report.Fail("pcsc-service", title,
                    "answers " + Hex(result) + " (" + ServiceDescription() + ")", kStartService);
        return;
    }
    report.Pass("pcsc-service", title, "reachable, " + ServiceDescription());
    if (readers.empty()) {
        report.Fail("readers", "Card readers", "none is connected",
                    "plug in the card reader; if it is plugged in, install its driver (for most "
                    "readers the CCID driver)");
        return;
    }
    report.Pass("readers", "Card readers", std::to_string(readers.size()) + " connected");
    for (const ProbedReader& reader : readers) {
        ReportReader(report, reader);
    }
}

}  // namespace kestrova::host
