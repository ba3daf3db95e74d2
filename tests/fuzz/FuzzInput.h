#pragma once
// Hands a fuzzer's bytes to readers that take a file: one file per process, rewritten each run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace vorl::fuzz {

inline std::filesystem::path gf_inputFile(const uint8_t* data, std::size_t size, const char* extension) {
    static const std::filesystem::path folder = [] {
        auto f = std::filesystem::temp_directory_path() / ("vorl-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(f);
        return f;
    }();
    const auto file = folder / (std::string("input") + extension);
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
    return file;
}

} // namespace vorl::fuzz
