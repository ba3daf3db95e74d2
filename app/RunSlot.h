#pragma once
#include <mutex>

#include "app/RunActions.h"

namespace vorl {

// The run of the program the window's commands reach: set when start-up has built it, cleared
// before closing down destroys it. Between two runs there is none, and a command that needs one
// is answered as "not now".
class RunSlot {
public:
    void attach(RunActions& run);
    void detach();

    // Calls `action` with the run under the slot's lock; false when there is none.
    template <class Action> bool with(Action&& action) const {
        std::lock_guard lock(mutex_);
        if (run_ == nullptr) return false;
        action(*run_);
        return true;
    }
    // The answer of `question` about the run, or `otherwise` when there is none.
    template <class Question, class Answer> Answer ask(Question&& question, Answer otherwise) const {
        std::lock_guard lock(mutex_);
        return run_ != nullptr ? question(static_cast<const RunActions&>(*run_)) : otherwise;
    }

private:
    mutable std::mutex mutex_;
    RunActions* run_ = nullptr;
};

} // namespace vorl
