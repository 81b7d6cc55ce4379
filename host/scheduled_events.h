#pragma once

// Actions run on a thread of their own after a delay while the caller goes
// on: a card taken out in the middle of later calls. The thread starts with
// the first event and never outlives this object.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrova::host {

class ScheduledEvents {
  public:
    // Returns why it failed, or nothing when it was done.
    using Action = std::function<std::optional<std::string>()>;

    ScheduledEvents() = default;
    ~ScheduledEvents();
    ScheduledEvents(const ScheduledEvents&) = delete;
    ScheduledEvents& operator=(const ScheduledEvents&) = delete;

    // Runs the action `delay` from now; actions due at the same time run in
    // the order they were scheduled. Ignored after Stop.
    void Schedule(std::chrono::milliseconds delay, Action action);

    // The failures of the actions that have run since the last call, in the
    // order they happened.
    std::vector<std::string> TakeFailures();

    // Drops the actions not yet due, lets one that is running finish, and
    // ends the thread.
    void Stop();

  private:
    using Clock = std::chrono::steady_clock;

    void RunDueActions();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::multimap<Clock::time_point, Action> pending_;
    std::vector<std::string> failures_;
    bool stopping_ = false;
    std::thread thread_;  // last: started after the members it uses exist
};

}  // namespace kestrova::host
