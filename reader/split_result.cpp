#include "reader/split_result.h"

namespace kestrova {

std::int32_t SplitResult(std::int32_t result, std::int32_t& statusWordField,
                         std::int32_t& errorField) {
    if (result >= 0x2002 && result <= 0x5FFF) {
        return result;
    }
    if (result >= 0x6001 && result <= 0x6FFFE) {
        statusWordField = result;
    } else {
        errorField = result;
    }
    return result;
}

}  // namespace kestrova
