#pragma once

namespace vorl {

class LiveryCatalogue;

// Start-up's livery step: the scan when it is asked for or its result is missing, then the
// catalogue with its registration codes.
// Throws UserErrorException when nothing can be scanned.
void gf_liveryStartUp();


// The catalogue of this process; empty until the first start-up has read it.
LiveryCatalogue& gf_liveryCatalogue();

} // namespace vorl
