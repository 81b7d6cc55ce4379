#include "bridge/host/input_pump.h"

#include <unistd.h>

#include <thread>
#include <utility>

namespace kestrova::bridge {

InputPump::InputPump(int fd, std::function<void()> onEnd)
    : queue_(std::make_shared<Queue>()), endSeen_(std::make_shared<std::atomic<bool>>(false)) {
    queue_->onEnd = std::move(onEnd);
    // The thread reads its own copy of the descriptor and closes it when it
    // is done, so that the caller may close fd while the thread still reads:
    // the number cannot come back meanwhile as another file.
    const int own = dup(fd);
    if (own < 0) {
        endSeen_->store(true);
        queue_->items.push_back(InputItem{});
        return;
    }
    std::thread([own, queue = queue_, endSeen = endSeen_] {
        for (;;) {
            InputItem item;
            item.status = ReadFrame(own, item.body);
            const bool last = item.status != FrameStatus::kFrame;
            if (last) {
                close(own);
                endSeen->store(true);
            }
            const std::lock_guard lock(queue->mutex);
            queue->items.push_back(std::move(item));
            queue->ready.notify_one();
            if (last) {
                // Under the lock, so that the pump's owner cannot go meanwhile.
                if (queue->onEnd) {
                    queue->onEnd();
                }
                return;
            }
        }
    }).detach();
}

InputPump::~InputPump() {
    const std::lock_guard lock(queue_->mutex);
    queue_->onEnd = nullptr;
}

InputItem InputPump::Next() {
    std::unique_lock lock(queue_->mutex);
    queue_->ready.wait(lock, [this] { return !queue_->items.empty(); });
    InputItem item = std::move(queue_->items.front());
    if (item.status == FrameStatus::kFrame) {
        queue_->items.pop_front();
    } else {
        queue_->items.front().body.clear();
    }
    return item;
}

}  // namespace kestrova::bridge
