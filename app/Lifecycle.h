#pragma once

namespace vorl {

// Replaces the start-up thread: the previous one is asked to stop and joined, then a new one
// runs the whole start-up sequence. Called on the front-end's thread only.
void gf_launchStartUpThread();
void gf_joinStartUpThread();

// Counts a restart delay down in whole seconds on the status line.
void gf_restartCountdown(int seconds);

} // namespace vorl
