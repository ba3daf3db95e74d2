#include "app/RunSlot.h"

namespace vorl {

void RunSlot::attach(RunActions& run) {
    std::lock_guard lock(mutex_);
    run_ = &run;
}

void RunSlot::detach() {
    std::lock_guard lock(mutex_);
    run_ = nullptr;
}

} // namespace vorl
