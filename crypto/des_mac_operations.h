#pragma once

// The page's DES and MAC methods: hex text in, 16 hex characters out.

#include <cstdint>
#include <string>

#include "reader/result_codes.h"

namespace kestrova {

// A null pointer stands for an absent text. outText is replaced only on
// success.
std::int32_t DesOperation(std::int32_t opflag, std::int32_t keyLen, const char* keyVal,
                          const char* inData, std::string& outText);

std::int32_t MacOperation(std::int32_t keyLen, const char* keyVal, const char* icv,
                          std::int32_t inLen, const char* inData, std::string& outText);

}  // namespace kestrova
