#include "sim/vicc/vicc_loop.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "sim/service/hex_bytes.h"
#include "sim/vicc/removal_plan.h"
#include "sim/vicc/vicc_session.h"
#include "sim/vicc/vpcd_connection.h"

namespace kestrova::sim::vicc {
namespace {

constexpr std::string_view kRemoveAfterCommand = "remove-after-command ";
constexpr std::string_view kHoldAfterCommand = "hold-after-command ";

// Lines from a descriptor, as they arrive.
class CommandLines {
  public:
    // Longer lines are no command; they are dropped unread.
    static constexpr std::size_t kMaxLine = 256;

    explicit CommandLines(int descriptor) : descriptor_(descriptor) {}

    int Descriptor() const { return open_ ? descriptor_ : -1; }

    // Reads once; false at the end of the input.
    bool Read() {
        char buffer[256];
        ssize_t count = 0;
        do {
            count = read(descriptor_, buffer, sizeof buffer);
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            open_ = false;
            return false;
        }
        pending_.append(buffer, static_cast<std::size_t>(count));
        if (pending_.size() > kMaxLine && pending_.find('\n') == std::string::npos) {
            pending_.clear();
            overlong_ = true;
        }
        return true;
    }

    std::optional<std::string> Next() {
        const std::size_t end = pending_.find('\n');
        if (end == std::string::npos) {
            return std::nullopt;
        }
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (overlong_) {
            overlong_ = false;
            return std::string("(a line too long)");
        }
        const std::size_t first = line.find_first_not_of(" \t\r");
        const std::size_t last = line.find_last_not_of(" \t\r");
        return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
    }

  private:
    int descriptor_;
    bool open_ = true;
    bool overlong_ = false;
    std::string pending_;
};

class Vicc {
  public:
    Vicc(const ViccOptions& options, SimulatedCard& card, std::ostream& out, std::ostream& err)
        : options_(options), card_(card), out_(out), err_(err) {}

    bool Insert() {
        if (connection_) {
            Say("error: the card is already in");
            return true;
        }
        std::string error;
        connection_ =
            VpcdConnection::Open(options_.host, options_.port, options_.connectTimeoutMs, error);
        if (!connection_) {
            err_ << "kestrova-vicc: " << error << '\n';
            Say("error: " + error);
            return false;
        }
        frames_ = FrameReader();
        session_ = std::make_unique<ViccSession>(card_);
        ++connectionNumber_;
        Say("card inserted");
        return true;
    }

    void Remove() {
        if (!connection_) {
            Say("error: the card is already out");
            return;
        }
        connection_.reset();
        ++connectionNumber_;
        card_.Reset();
        Say("card removed");
    }

    // Counts commands from now on, also across the card's moves in between.
    void ArmRemoval(std::string_view arguments) { Arm(arguments, removal_); }
    void ArmHold(std::string_view arguments) { Arm(arguments, hold_); }

    void Release() {
        if (!held_) {
            Say("error: nothing is held");
            return;
        }
        held_ = false;
        Say("released");
    }

    // While held, vpcd's frames wait unread.
    const VpcdConnection* Connection() const { return held_ ? nullptr : connection_.get(); }
    // Changes whenever the card goes in or out.
    int ConnectionNumber() const { return connectionNumber_; }

    // False when vpcd went away (the daemon stopped): the card is then out
    // of any reader until it is put back into the next daemon's.
    bool Serve() {
        if (!connection_->ReadInto(frames_)) {
            err_ << "kestrova-vicc: vpcd closed the connection\n";
            Remove();
            return false;
        }
        while (!held_ && connection_) {
            auto payload = frames_.Next();
            if (!payload) {
                break;
            }
            const auto answer = session_->OnFrame(*payload);
            if (options_.logApdus) {
                err_ << "> " << HexText(*payload) << "\n< "
                     << (answer ? HexText(*answer) : "(no answer)") << '\n';
            }
            if (answer && !connection_->Send(*answer)) {
                err_ << "kestrova-vicc: cannot answer vpcd\n";
                Remove();
                return false;
            }
            // vpcd's one-byte control codes are no commands of the card.
            if (removal_ && payload->size() > 1 && removal_->CountsDown(*payload)) {
                removal_.reset();
                Remove();  // what vpcd sent after the command is lost with the card
                return true;
            }
            if (hold_ && payload->size() > 1 && hold_->CountsDown(*payload)) {
                hold_.reset();
                held_ = true;  // what vpcd sends next waits for "release"
                Say("held");
            }
        }
        return true;
    }

    void Say(const std::string& line) { out_ << line << std::endl; }

  private:
    void Arm(std::string_view arguments, std::optional<RemovalPlan>& plan) {
        auto parsed = RemovalPlan::Parse(arguments);
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            Say("error: " + *error);
            return;
        }
        plan = std::get<RemovalPlan>(std::move(parsed));
        Say("armed");
    }

    const ViccOptions& options_;
    SimulatedCard& card_;
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<VpcdConnection> connection_;
    std::unique_ptr<ViccSession> session_;
    FrameReader frames_;
    std::optional<RemovalPlan> removal_;
    std::optional<RemovalPlan> hold_;
    bool held_ = false;
    int connectionNumber_ = 0;
};

}  // namespace

int RunVicc(const ViccOptions& options, SimulatedCard& card, int commandDescriptor,
            std::ostream& out, std::ostream& err) {
    Vicc vicc(options, card, out, err);
    if (!options.startRemoved && !vicc.Insert()) {
        return kViccExitFailure;
    }
    CommandLines commands(commandDescriptor);
    for (;;) {
        pollfd watched[2] = {{commands.Descriptor(), POLLIN, 0}, {-1, POLLIN, 0}};
        if (vicc.Connection() != nullptr) {
            watched[1].fd = vicc.Connection()->Descriptor();
        }
        if (watched[0].fd < 0 && watched[1].fd < 0) {
            return kViccExitSuccess;  // the card is out and no command can come
        }
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            err << "kestrova-vicc: poll failed\n";
            return kViccExitFailure;
        }
        constexpr short kReady = POLLIN | POLLHUP | POLLERR;
        const bool commandsReady = watched[0].fd >= 0 && (watched[0].revents & kReady) != 0;
        const bool cardReady = watched[1].fd >= 0 && (watched[1].revents & kReady) != 0;
        const int connection = vicc.ConnectionNumber();
        // Commands first: what the test asked for before vpcd's next frame
        // (a removal armed, the card taken out) is in force when it comes.
        if (commandsReady) {
            commands.Read();
            while (auto command = commands.Next()) {
                if (*command == "remove") {
                    vicc.Remove();
                } else if (*command == "insert") {
                    if (!vicc.Insert()) {
                        return kViccExitFailure;
                    }
                } else if (command->starts_with(kRemoveAfterCommand)) {
                    vicc.ArmRemoval(std::string_view(*command).substr(kRemoveAfterCommand.size()));
                } else if (command->starts_with(kHoldAfterCommand)) {
                    vicc.ArmHold(std::string_view(*command).substr(kHoldAfterCommand.size()));
                } else if (*command == "release") {
                    vicc.Release();
                } else if (*command == "quit") {
                    return kViccExitSuccess;
                } else if (!command->empty()) {
                    vicc.Say("error: unknown command \"" + *command +
                             "\" (remove, remove-after-command, hold-after-command, release, "
                             "insert, quit)");
                }
            }
        }
        // The frames waiting belong to the connection polled, if it is still there.
        if (cardReady && vicc.ConnectionNumber() == connection && vicc.Connection() != nullptr) {
            vicc.Serve();
        }
    }
}

}  // namespace kestrova::sim::vicc
