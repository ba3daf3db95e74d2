#pragma once
#include <string>

namespace vorl::standin {

// Whether the simulator knows a simulation variable of this name (any case; an indexed variable
// may carry its index, as in ":1"). The simulator refuses every other name
// in AddToDataDefinition with its name-unrecognized exception.
bool gf_isKnownSimVariable(const std::string& name);

} // namespace vorl::standin
