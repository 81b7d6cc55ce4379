#include "platform/console_modal_run.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <limits>
#include <string>

#include "platform/console_dialog_window.h"

namespace kestrova::platform {
namespace {

using Clock = ConsoleDialogWindow::Clock;

// Milliseconds until `due` for poll(): -1 waits for input alone.
int WaitMilliseconds(std::optional<Clock::time_point> due) {
    if (!due) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()).count();
    if (left <= 0) {
        return 0;
    }
    return static_cast<int>(std::min<long long>(left, std::numeric_limits<int>::max()));
}

// One line the user typed: Enter alone presses OK, "c" cancels.
void Answer(ModalDialog& dialog, ConsoleDialogWindow& window, const std::string& line) {
    std::string word;
    for (char c : line) {
        if (c != ' ' && c != '\t' && c != '\r') {
            word += c;
        }
    }
    if (word.empty()) {
        if (window.OkEnabled()) {
            dialog.OnOK(window);
        } else {
            window.Say("OK is not enabled yet");
        }
    } else if (word == "c" || word == "C") {
        dialog.OnCancel(window);
    } else {
        window.Say("Enter: OK, c and Enter: Cancel");
    }
}

// Cancels the window for a user who cannot answer. A dialog that ignores its
// Cancel still ends: nobody is left to end it.
std::int32_t Finish(ModalDialog& dialog, ConsoleDialogWindow& window) {
    if (!window.Ended()) {
        dialog.OnCancel(window);
    }
    if (!window.Ended()) {
        window.End(kDialogCancel);
    }
    return window.EndCode();
}

class InputLines {
  public:
    explicit InputLines(int fd) : fd_(fd) {}

    // Reads what is there; false at end of input or on a read error.
    bool Read(ModalDialog& dialog, ConsoleDialogWindow& window) {
        char buffer[256];
        const ssize_t count = read(fd_, buffer, sizeof buffer);
        if (count < 0) {
            return errno == EINTR || errno == EAGAIN;
        }
        if (count == 0) {
            return false;
        }
        for (ssize_t i = 0; i < count && !window.Ended(); ++i) {
            if (buffer[i] == '\n') {
                Answer(dialog, window, pending_);
                pending_.clear();
            } else if (pending_.size() < 64) {
                pending_ += buffer[i];
            }
        }
        return true;
    }

  private:
    int fd_;
    std::string pending_;
};

}  // namespace

std::int32_t RunConsoleModal(ModalDialog& dialog, std::ostream& out, ConfirmMode mode, int inputFd,
                             std::string_view answerReason) {
    ConsoleDialogWindow window(dialog.Template(), out);
    dialog.OnInitDialog(window);
    if (window.Ended()) {
        return window.EndCode();
    }
    const bool asking = mode == ConfirmMode::kAsk;
    window.Show(asking);

    if (mode == ConfirmMode::kCancel) {
        window.SayPressed(kDialogCancel, answerReason);
        return Finish(dialog, window);
    }
    if (asking && isatty(inputFd) != 1) {
        window.Say("no terminal to ask for confirmation: cancelled");
        return Finish(dialog, window);
    }

    InputLines input(inputFd);
    while (!window.Ended()) {
        if (mode == ConfirmMode::kOk && window.OkEnabled()) {
            window.SayPressed(kDialogOk, answerReason);
            dialog.OnOK(window);
            break;
        }
        const std::optional<Clock::time_point> due = window.NextDue();
        if (!due && !asking) {
            // Nothing left that could enable OK, and nobody to ask.
            window.Say("the window cannot be confirmed any more: cancelled");
            return Finish(dialog, window);
        }
        pollfd watched{inputFd, POLLIN, 0};
        const int ready = poll(asking ? &watched : nullptr, asking ? 1 : 0, WaitMilliseconds(due));
        if (ready < 0 && errno != EINTR) {
            window.Say("cannot read the terminal: cancelled");
            return Finish(dialog, window);
        }
        if (ready > 0 && (watched.revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
            !input.Read(dialog, window)) {
            window.Say("end of input: cancelled");
            return Finish(dialog, window);
        }
        const Clock::time_point now = Clock::now();
        while (!window.Ended()) {
            const std::optional<std::uint32_t> timer = window.TakeDueTimer(now);
            if (!timer) {
                break;
            }
            dialog.OnTimer(window, *timer);
        }
    }
    return window.EndCode();
}

}  // namespace kestrova::platform
