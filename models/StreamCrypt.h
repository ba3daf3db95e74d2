#pragma once
#include <filesystem>

namespace vorl {

// The shipped reference files are libsodium secretstreams (XChaCha20-Poly1305) under kDataKey,
// cut into 4096-byte plaintext chunks; the last chunk carries the final tag.
inline constexpr std::size_t kStreamChunkBytes = 4096;

// Decrypts `input` into `output`. Any failure is logged, the partial output is removed and
// false is returned. A stream that ends without a final tag keeps everything authenticated.
bool gf_streamDecrypt(const std::filesystem::path& input, const std::filesystem::path& output);

// The data build's direction: encrypts `input` into `output` in the same chunking.
// Failures throw std::runtime_error; partial output is removed first.
void gf_streamEncrypt(const std::filesystem::path& input, const std::filesystem::path& output);

// Removes a temporary file; one that exists and cannot be removed is reported in the log.
void gf_removeTemporaryFile(const std::filesystem::path& path);

} // namespace vorl
