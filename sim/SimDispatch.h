#pragma once
#include <exception>
#include <string>

#include "sim/SimConnectApi.h"

namespace vorl {

// What one dispatch call leaves for the SimClient thread. Exceptions are carried out of the
// handler instead of being thrown through the simulator's library.
struct DispatchState {
    std::exception_ptr error;
    bool quit = false;
};

// Handles one record from the simulator; `context` is a DispatchState.
void VORL_SIMCONNECT_CALL gf_simDispatch(simconnect::Recv* data, simconnect::DWORD size, void* context);

// The simulator's application name with everything but letters, digits and white space removed.
std::string gf_filterApplicationName(const char* name, std::size_t maxLength);

} // namespace vorl
