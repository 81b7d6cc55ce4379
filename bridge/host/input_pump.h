#pragma once

// Reads the browser's messages on a thread of its own, so that the end of
// the connection is seen while a call (or its window) is still running. What
// waits for the main thread is bounded: beyond kMaxPendingCalls calls or
// kMaxPendingBytes bytes a message is refused (only its id is kept, to answer
// it in order), and beyond kMaxPendingRefusals refusals the input is given up.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "bridge/host/frame_io.h"

namespace kestrova::bridge {

inline constexpr std::size_t kMaxPendingCalls = 256;
inline constexpr std::size_t kMaxPendingBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxPendingRefusals = 1024;

enum class InputKind {
    kMessage,   // body: a whole message to carry out
    kRefused,   // a message beyond the bound: refuse it (id, if it had one)
    kEnd,       // end of input, a read error, or a message cut short
    kTooLarge,  // the length said more than kMaxFrameBytes
    kFlooded,   // more than kMaxPendingRefusals refusals waited: input given up
};

struct InputItem {
    InputKind kind = InputKind::kEnd;
    std::string body;
    std::optional<std::int64_t> id;
};

class InputPump {
  public:
    // Starts reading fd at once (fd may be closed by the caller whenever it
    // likes). onEnd runs on the reading thread when the input ends, refuses
    // a message or is given up, unless this pump is gone by then.
    InputPump(int fd, std::function<void()> onEnd);
    InputPump(const InputPump&) = delete;
    InputPump& operator=(const InputPump&) = delete;
    ~InputPump();

    // The next item, or how the input ended (then again on every call).
    InputItem Next();

    // Set, from the reading thread, once the input has ended or refused a
    // message, even while nobody asks for the next one.
    std::shared_ptr<const std::atomic<bool>> EndSeen() const { return endSeen_; }

  private:
    struct Queue {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<InputItem> items;
        std::size_t pendingCalls = 0;
        std::size_t pendingBytes = 0;
        std::size_t pendingRefusals = 0;
        std::function<void()> onEnd;
    };

    // Shared with the reading thread, which may still wait in read() when
    // the host is done; it is left to end with the process.
    std::shared_ptr<Queue> queue_;
    std::shared_ptr<std::atomic<bool>> endSeen_;
};

}  // namespace kestrova::bridge
