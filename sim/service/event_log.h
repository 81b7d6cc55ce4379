#pragma once

// The simulated service's event log: the last kMaxEventLines lines, kept
// only while recording is on. Tests read it; a host serving pages turns it
// off, so that a long-running process neither grows nor keeps what it sent.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace kestrova::sim_service {

inline constexpr std::size_t kMaxEventLines = 10000;

class EventLog {
  public:
    void push_back(std::string line) {
        if (!recording_) {
            return;
        }
        if (lines_.size() == kMaxEventLines) {
            lines_.pop_front();
        }
        lines_.push_back(std::move(line));
    }
    void clear() { lines_.clear(); }
    std::vector<std::string> Lines() const { return {lines_.begin(), lines_.end()}; }

    // Off: nothing is kept, and what was is dropped.
    void SetRecording(bool recording) {
        recording_ = recording;
        if (!recording_) {
            std::deque<std::string>().swap(lines_);
        }
    }

  private:
    std::deque<std::string> lines_;
    bool recording_ = true;
};

}  // namespace kestrova::sim_service
