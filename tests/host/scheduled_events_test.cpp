#include "host/scheduled_events.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace kestrova::host {
namespace {

using std::chrono::milliseconds;

// Records the actions' names as they run.
class ActionLog {
  public:
    ScheduledEvents::Action Named(const std::string& name,
                                  const std::optional<std::string>& failure = {}) {
        return [this, name, failure] {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                ran_.push_back(name);
            }
            changed_.notify_all();
            return failure;
        };
    }

    // Waits a generous while for `count` actions; the test fails rather than
    // hangs if they never come.
    std::vector<std::string> WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        EXPECT_TRUE(changed_.wait_for(lock, std::chrono::seconds(30),
                                      [&] { return ran_.size() >= count; }));
        return ran_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> ran_;
};

TEST(ScheduledEventsTest, ActionsRunByDueTimeThenInTheOrderGivenAndFailuresAreKept) {
    ActionLog log;
    ScheduledEvents events;
    // Due half a second after the others however late the thread runs.
    events.Schedule(milliseconds(500), log.Named("late"));
    events.Schedule(milliseconds(0), log.Named("first"));
    events.Schedule(milliseconds(0), log.Named("second", "second went wrong"));
    events.Schedule(milliseconds(0), log.Named("third", "third went wrong"));
    EXPECT_EQ(log.WaitFor(4), (std::vector<std::string>{"first", "second", "third", "late"}));
    EXPECT_EQ(events.TakeFailures(),
              (std::vector<std::string>{"second went wrong", "third went wrong"}));
    EXPECT_TRUE(events.TakeFailures().empty());
}

TEST(ScheduledEventsTest, StopDropsWhatIsNotDueAndNothingRunsAfterIt) {
    std::atomic<int> runs = 0;
    const auto count = [&runs]() -> std::optional<std::string> {
        ++runs;
        return std::nullopt;
    };
    {
        ScheduledEvents events;
        events.Schedule(std::chrono::minutes(10), count);
        events.Stop();  // returns at once instead of waiting ten minutes
        events.Schedule(milliseconds(0), count);
    }
    EXPECT_EQ(runs, 0);
    ScheduledEvents unused;  // no thread to end
}

}  // namespace
}  // namespace kestrova::host
