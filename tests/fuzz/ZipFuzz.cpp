// An update archive: unpacked entries must stay inside their folder whatever the archive says.
#include "common/ZipArchive.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = vorl::fuzz::gf_inputFile(data, size, ".zip");
    const auto folder = file.parent_path() / "unzipped";
    vorl::gf_unzipInto(file, folder);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
