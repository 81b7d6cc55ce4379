#pragma once

// Reads the browser's messages on a thread of its own, so that the end of
// the connection is seen while a call (or its window) is still running.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "bridge/host/frame_io.h"

namespace kestrova::bridge {

struct InputItem {
    FrameStatus status = FrameStatus::kEnd;
    std::string body;
};

class InputPump {
  public:
    // Starts reading fd at once (fd may be closed by the caller whenever it
    // likes). onEnd runs on the reading thread when the input ends or
    // refuses a message, unless this pump is gone by then.
    InputPump(int fd, std::function<void()> onEnd);
    InputPump(const InputPump&) = delete;
    InputPump& operator=(const InputPump&) = delete;
    ~InputPump();

    // The next message, or how the input ended (then again on every call).
    InputItem Next();

    // Set, from the reading thread, once the input has ended or refused a
    // message, even while nobody asks for the next one.
    std::shared_ptr<const std::atomic<bool>> EndSeen() const { return endSeen_; }

  private:
    struct Queue {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<InputItem> items;
        std::function<void()> onEnd;
    };

    // Shared with the reading thread, which may still wait in read() when
    // the host is done; it is left to end with the process.
    std::shared_ptr<Queue> queue_;
    std::shared_ptr<std::atomic<bool>> endSeen_;
};

}  // namespace kestrova::bridge
