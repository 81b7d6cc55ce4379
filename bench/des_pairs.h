#pragma once

// The DES and MAC benchmarks, registered in pairs: Kestrova's side and
// OpenSSL's side doing the same work.

#include <string>
#include <vector>

namespace kestrova::bench {

struct BenchPair {
    std::string label;
    std::string kestrova;
    std::string openssl;
};

// Registers every pair after checking that both sides of it give the same
// result. False, with the pair named on standard error, when one does not.
bool RegisterDesPairs(std::vector<BenchPair>& pairs);

}  // namespace kestrova::bench
