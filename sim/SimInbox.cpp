#include "sim/SimInbox.h"

namespace vorl {

void SimInbox::post(const SimMessage& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
}

std::vector<SimMessage> SimInbox::drain() {
    std::vector<SimMessage> taken;
    std::lock_guard lock(mutex_);
    taken.swap(messages_);
    return taken;
}

void SimInbox::clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

SimInbox& gf_simInbox() {
    static SimInbox inbox;
    return inbox;
}

} // namespace vorl
