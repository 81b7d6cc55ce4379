#pragma once

// Faults planned by tests: per PC/SC function, a queue of "let N calls pass,
// then fail M calls with this result".

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::sim_service {

class FaultPlan {
  public:
    static bool IsKnownFunction(std::string_view function);

    // False for an unknown function, failing below 1 or passing below 0.
    bool Add(std::string_view function, int passing, int failing, long result);

    // Called once per call of `function`: the result to answer instead of
    // doing the call, if a fault is due.
    std::optional<long> Take(std::string_view function);

    void Clear() { plans_.clear(); }

  private:
    struct Plan {
        int passing = 0;
        int failing = 0;
        long result = 0;
    };
    std::map<std::string, std::deque<Plan>, std::less<>> plans_;
};

}  // namespace kestrova::sim_service
