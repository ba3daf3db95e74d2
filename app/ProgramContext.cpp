#include "app/ProgramContext.h"

namespace vorl {

ProgramContext& gf_program() {
    static ProgramContext context;
    return context;
}

} // namespace vorl
