// The floor of a whole transaction: what any program must do to run it on
// the card, with nothing of kestrova in between. It makes the PC/SC calls
// kestrova makes for the page
//
//   ListReaders(), ConnectCard(READER),
//   WriteRecordWithSNUMTACProc(READER, "", FILE, n, RECORD, PIN, ""),
//   GetRespSNUM() ... GetTransactionAccount(), DisconnectCard(READER)
//
// with a record no confirmation window is shown for, and pauses as long as
// the component's own: 100 ms after the test connection of ConnectCard and
// 200 ms after DisconnectCard.
//
//   kestrova_transaction_floor READER FILE-ID RECORD PIN
//
// Prints SNUM and TAC; exits with 1 when a call or a command fails.

#include <winscard.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::chrono::milliseconds kTestConnectionPause{100};
constexpr std::chrono::milliseconds kDisconnectPause{200};
constexpr DWORD kBothProtocols = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;
constexpr std::uint16_t kSuccess = 0x9000;

struct Failure {
    std::string what;
};

void Check(LONG result, const char* call) {
    if (result != SCARD_S_SUCCESS) {
        throw Failure{std::string(call) + ": " + pcsc_stringify_error(result)};
    }
}

int HexDigit(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return -1;
}

Bytes FromHex(std::string_view text) {
    if (text.size() % 2 != 0) {
        throw Failure{"odd number of hex digits: " + std::string(text)};
    }
    Bytes bytes;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0) {
            throw Failure{"not hex: " + std::string(text)};
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string ToHex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// Eight bytes of FF with the PIN's digits packed two to a byte.
Bytes PinBlock(std::string_view pin) {
    std::string padded(pin);
    padded.resize(16, 'F');
    return FromHex(padded);
}

Bytes Command(std::string_view header, const Bytes& data = {}) {
    Bytes command = FromHex(header);
    if (!data.empty()) {
        command.push_back(static_cast<std::uint8_t>(data.size()));
        command.insert(command.end(), data.begin(), data.end());
    }
    return command;
}

struct Answer {
    Bytes data;
    std::uint16_t statusWord = 0;
};

class Card {
  public:
    Card(SCARDHANDLE handle, DWORD protocol) : handle_(handle), protocol_(protocol) {}

    // T=0's two-step answers: 61 XX announces data to fetch with GET
    // RESPONSE, 6C XX asks for the command again with Le XX.
    Answer Exchange(Bytes command) const {
        Answer answer = Send(command);
        if ((answer.statusWord >> 8) == 0x6C) {
            command.back() = static_cast<std::uint8_t>(answer.statusWord & 0xFF);
            answer = Send(command);
        }
        if ((answer.statusWord >> 8) == 0x61) {
            answer = Send({0x00, 0xC0, 0x00, 0x00, static_cast<std::uint8_t>(answer.statusWord)});
        }
        return answer;
    }

    Answer Expect(const Bytes& command, const char* what) const {
        Answer answer = Exchange(command);
        if (answer.statusWord != kSuccess) {
            char text[80];
            std::snprintf(text, sizeof text, "%s: the card answered %04X", what,
                          static_cast<unsigned>(answer.statusWord));
            throw Failure{text};
        }
        return answer;
    }

  private:
    Answer Send(const Bytes& command) const {
        std::array<std::uint8_t, 258> received{};
        DWORD length = received.size();
        const SCARD_IO_REQUEST* pci = protocol_ == SCARD_PROTOCOL_T1 ? SCARD_PCI_T1 : SCARD_PCI_T0;
        Check(SCardTransmit(handle_, pci, command.data(), static_cast<DWORD>(command.size()),
                            nullptr, received.data(), &length),
              "SCardTransmit");
        if (length < 2) {
            throw Failure{"an answer without a status word"};
        }
        Answer answer;
        answer.data.assign(received.begin(), received.begin() + (length - 2));
        answer.statusWord =
            static_cast<std::uint16_t>((received[length - 2] << 8) | received[length - 1]);
        return answer;
    }

    SCARDHANDLE handle_;
    DWORD protocol_;
};

struct Connection {
    SCARDHANDLE handle = 0;
    DWORD protocol = 0;
};

Connection ConnectExclusive(SCARDCONTEXT context, const char* reader) {
    Connection connection;
    Check(SCardConnect(context, reader, SCARD_SHARE_EXCLUSIVE, kBothProtocols, &connection.handle,
                       &connection.protocol),
          "SCardConnect");
    return connection;
}

void RunTransaction(const char* reader, std::string_view fileId, std::string_view record,
                    std::string_view pin) {
    SCARDCONTEXT context = 0;
    Check(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context),
          "SCardEstablishContext");

    // ListReaders()
    std::array<char, 1024> names{};
    DWORD namesLength = names.size();
    Check(SCardListReaders(context, nullptr, names.data(), &namesLength), "SCardListReaders");

    // ConnectCard(): a test connection that tells whether the card is there,
    // the pause the component makes after it, the connection itself, its ATR.
    Connection test = ConnectExclusive(context, reader);
    Check(SCardDisconnect(test.handle, SCARD_RESET_CARD), "SCardDisconnect");
    std::this_thread::sleep_for(kTestConnectionPause);
    Connection connection = ConnectExclusive(context, reader);
    std::array<char, 256> readerName{};
    DWORD readerNameLength = readerName.size();
    DWORD state = 0;
    DWORD protocol = 0;
    std::array<std::uint8_t, MAX_ATR_SIZE> atr{};
    DWORD atrLength = atr.size();
    Check(SCardStatus(connection.handle, readerName.data(), &readerNameLength, &state, &protocol,
                      atr.data(), &atrLength),
          "SCardStatus");

    // WriteRecordWithSNUMTACProc(): the application, the PIN, the write;
    // the application again, and the card's issuer, remark and account.
    const Card card(connection.handle, connection.protocol);
    const Bytes selectApplication = Command("00A40400", FromHex("A000000172950001"));
    card.Expect(selectApplication, "SELECT application");
    card.Expect(Command("00200010", PinBlock(pin)), "VERIFY");
    const Bytes recordBytes(record.begin(), record.end());
    const Answer written =
        card.Expect(Command(std::string("00E2") + std::string(fileId), recordBytes), "write");
    card.Expect(selectApplication, "SELECT application");
    card.Expect(Command("00A40200", FromHex("1001")), "SELECT EF1001");
    card.Expect(FromHex("00B201040A"), "READ RECORD 1");
    card.Expect(FromHex("00B2020420"), "READ RECORD 2");
    card.Expect(FromHex("00B2030412"), "READ RECORD 3");

    // DisconnectCard(), and the component's pause after it.
    Check(SCardDisconnect(connection.handle, SCARD_RESET_CARD), "SCardDisconnect");
    std::this_thread::sleep_for(kDisconnectPause);
    Check(SCardReleaseContext(context), "SCardReleaseContext");

    if (written.data.size() < 19) {
        throw Failure{"the write answered " + ToHex(written.data)};
    }
    const std::string snum(written.data.begin() + 1, written.data.begin() + 9);
    const Bytes tac(written.data.begin() + 11, written.data.begin() + 19);
    std::printf("SNUM %s TAC %s\n", snum.c_str(), ToHex(tac).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s READER FILE-ID RECORD PIN\n", argv[0]);
        return 2;
    }
    try {
        RunTransaction(argv[1], argv[2], argv[3], argv[4]);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "kestrova_transaction_floor: %s\n", failure.what.c_str());
        return 1;
    }
    return 0;
}
