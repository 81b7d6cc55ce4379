#include "control/automation_value.h"

namespace kestrova {

std::string_view TypeName(AutomationType type) {
    return type == AutomationType::Long ? "long" : "BSTR";
}

}  // namespace kestrova
