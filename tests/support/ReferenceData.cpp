#include "tests/support/ReferenceData.h"

namespace fs = std::filesystem;

namespace vorl::test {

void installReferenceData(const fs::path& installFolder) {
    const fs::path input = installFolder / "input";
    fs::create_directories(input);
    for (const auto& entry : fs::directory_iterator(VORL_INSTALL_INPUT))
        fs::copy_file(entry.path(), input / entry.path().filename(), fs::copy_options::overwrite_existing);
}

} // namespace vorl::test
