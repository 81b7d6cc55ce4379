#pragma once

// Simulated readers for the host's tests: readers that have a card, moves
// recorded in order, and a wait for moves made on another thread.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/simulated_readers.h"

namespace kestrova::host::testing {

class FakeSimulatedReaders final : public SimulatedReaders {
  public:
    // Each reader named has a card, in it at the start.
    explicit FakeSimulatedReaders(std::vector<std::string> readers)
        : readers_(std::move(readers)), cardsIn_(readers_.begin(), readers_.end()) {}

    std::string DefaultReader() const override { return readers_.empty() ? "" : readers_[0]; }

    std::optional<std::string> CheckReader(const std::string& reader) const override {
        for (const std::string& name : readers_) {
            if (name == reader) {
                return std::nullopt;
            }
        }
        return "no reader \"" + reader + "\"";
    }

    std::optional<std::string> RemoveCard(const std::string& reader) override {
        return Move(reader, false);
    }
    std::optional<std::string> InsertCard(const std::string& reader) override {
        return Move(reader, true);
    }

    // "remove R" / "insert R", in the order they were tried.
    std::vector<std::string> Moves() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return moves_;
    }

    // Waits (at most a generous while, so a fault cannot hang the test) until
    // `count` moves have been tried.
    bool WaitForMoves(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return moved_.wait_for(lock, std::chrono::seconds(30),
                               [&] { return moves_.size() >= count; });
    }

  private:
    std::optional<std::string> Move(const std::string& reader, bool insert) {
        std::optional<std::string> failure = CheckReader(reader);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            moves_.push_back((insert ? "insert " : "remove ") + reader);
            if (!failure && (cardsIn_.contains(reader) == insert)) {
                failure = insert ? "already in" : "already out";
            }
            if (!failure) {
                if (insert) {
                    cardsIn_.insert(reader);
                } else {
                    cardsIn_.erase(reader);
                }
            }
        }
        moved_.notify_all();
        return failure;
    }

    const std::vector<std::string> readers_;
    std::mutex mutex_;
    std::condition_variable moved_;
    std::set<std::string> cardsIn_;
    std::vector<std::string> moves_;
};

}  // namespace kestrova::host::testing
