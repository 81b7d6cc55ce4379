#include "host/scheduled_events.h"

#include <utility>

namespace kestrova::host {

ScheduledEvents::~ScheduledEvents() {
    Stop();
}

void ScheduledEvents::Schedule(std::chrono::milliseconds delay, Action action) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return;
        }
        // A multimap keeps equal times in insertion order.
        pending_.emplace(Clock::now() + delay, std::move(action));
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { RunDueActions(); });
        }
    }
    wake_.notify_one();
}

std::vector<std::string> ScheduledEvents::TakeFailures() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(failures_, {});
}

void ScheduledEvents::Stop() {
    std::multimap<Clock::time_point, Action> dropped;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        dropped.swap(pending_);
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ScheduledEvents::RunDueActions() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (pending_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto next = pending_.begin();
        // A copy: the wait reads it again after waking, when the entry may
        // be gone.
        const Clock::time_point due = next->first;
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        Action action = std::move(next->second);
        pending_.erase(next);
        // Unlocked while it runs: the caller may schedule or stop meanwhile.
        lock.unlock();
        std::optional<std::string> failure = action();
        lock.lock();
        if (failure) {
            failures_.push_back(std::move(*failure));
        }
    }
}

}  // namespace kestrova::host
