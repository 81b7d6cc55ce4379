#include "bridge/host/input_pump.h"

#include <unistd.h>

#include <thread>
#include <utility>

#include "bridge/host/request.h"
#include "platform/secure_wipe.h"

namespace kestrova::bridge {
namespace {

InputKind KindOf(FrameStatus status) {
    switch (status) {
        case FrameStatus::kFrame:
            return InputKind::kMessage;
        case FrameStatus::kTooLarge:
            return InputKind::kTooLarge;
        case FrameStatus::kEnd:
            break;
    }
    return InputKind::kEnd;
}

// Wiped (a PIN may be in it) and freed: assigning an empty string would keep
// the buffer.
void Drop(std::string& body) {
    platform::WipeBuffer(body);
    std::string().swap(body);
}

}  // namespace

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
            item.kind = KindOf(ReadFrame(own, item.body));
            std::unique_lock lock(queue->mutex);
            if (item.kind == InputKind::kMessage) {
                const bool fits = queue->pendingCalls < kMaxPendingCalls &&
                                  queue->pendingBytes + item.body.size() <= kMaxPendingBytes;
                if (fits) {
                    ++queue->pendingCalls;
                    queue->pendingBytes += item.body.size();
                } else if (queue->pendingRefusals < kMaxPendingRefusals) {
                    ++queue->pendingRefusals;
                    lock.unlock();
                    item.id = ReadRequestId(item.body);
                    Drop(item.body);
                    item.kind = InputKind::kRefused;
                    lock.lock();
                } else {
                    Drop(item.body);
                    item.kind = InputKind::kFlooded;
                }
            }
            const bool last = item.kind != InputKind::kMessage && item.kind != InputKind::kRefused;
            if (last) {
                close(own);
                endSeen->store(true);
            }
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
    switch (item.kind) {
        case InputKind::kMessage:
            --queue_->pendingCalls;
            queue_->pendingBytes -= item.body.size();
            queue_->items.pop_front();
            break;
        case InputKind::kRefused:
            --queue_->pendingRefusals;
            queue_->items.pop_front();
            break;
        default:
            queue_->items.front().body.clear();
            break;
    }
    return item;
}

}  // namespace kestrova::bridge
