#include "app/AppPaths.h"

namespace vorl {

void AppPaths::setUserFolder(const std::filesystem::path& folder) {
    userFolder = folder;
    parametersFile = folder / "parameters.xml";
    flightPlanFolder = folder / "orig_dest";
}

std::vector<std::filesystem::path> AppPaths::dataFolders() const {
    return {input,         myRegcodes,      output,          outputInfo,      outputErrors,
            airports,      learned,         learnedStock,    learnedSimaddon, learnedThirdparty,
            mySimaddon,    myThirdparty};
}

AppPaths& gf_paths() {
    static AppPaths paths;
    return paths;
}

} // namespace vorl
