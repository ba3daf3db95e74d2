#pragma once

namespace vorl {

// Reads or creates the settings, makes the data folders and loads what start-up needs before
// the session. False when start-up must close down; the reason is then on screen and logged.
bool gf_readDataFiles();

} // namespace vorl
