#pragma once

namespace vorl {

class LiveryCatalogue;

// Start-up's livery step: the scan when it is asked for or its result is missing, then the
// catalogue with its registration codes, connected to the live traffic and the parking.
// Throws UserErrorException when nothing can be scanned.
void gf_liveryStartUp();

// Closing down's part: the matching summary of the session.
void gf_liveryCloseDown();

// The catalogue of this process; empty until the first start-up has read it.
LiveryCatalogue& gf_liveryCatalogue();

} // namespace vorl
