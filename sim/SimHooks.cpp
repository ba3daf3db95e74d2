#include "sim/SimHooks.h"

namespace vorl {

SimHooks& gf_simHooks() {
    static SimHooks hooks;
    return hooks;
}

} // namespace vorl
