#include "models/StreamCrypt.h"

#include <array>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sodium.h>

#include "common/Log.h"
#include "models/DataKey.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr std::size_t kCipherChunkBytes = kStreamChunkBytes + crypto_secretstream_xchacha20poly1305_ABYTES;
static_assert(kCipherChunkBytes == 4113);
static_assert(crypto_secretstream_xchacha20poly1305_KEYBYTES == kDataKey.size());

void lf_initSodium() {
    if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
}

std::size_t lf_read(std::ifstream& in, unsigned char* buffer, std::size_t size) {
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount());
}

void lf_write(std::ofstream& out, const unsigned char* buffer, std::size_t size) {
    out.write(reinterpret_cast<const char*>(buffer), static_cast<std::streamsize>(size));
    if (!out) throw std::runtime_error("Write failed");
}

void lf_decrypt(const fs::path& input, const fs::path& output) {
    lf_initSodium();
    std::ifstream in(input, std::ios::binary);
    if (!in) throw std::runtime_error("Could not open input file: " + input.string());
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("Could not open output file: " + output.string());

    std::array<unsigned char, crypto_secretstream_xchacha20poly1305_HEADERBYTES> header{};
    crypto_secretstream_xchacha20poly1305_state state;
    if (lf_read(in, header.data(), header.size()) != header.size() ||
        crypto_secretstream_xchacha20poly1305_init_pull(&state, header.data(), kDataKey.data()) != 0)
        throw std::runtime_error("Invalid header or key");

    std::vector<unsigned char> cipher(kCipherChunkBytes);
    std::vector<unsigned char> plain(kStreamChunkBytes);
    for (;;) {
        const std::size_t got = lf_read(in, cipher.data(), cipher.size());
        if (got == 0) break;
        unsigned long long plainSize = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, plain.data(), &plainSize, &tag, cipher.data(), got,
                                                       nullptr, 0) != 0)
            throw std::runtime_error("Decryption failed");
        lf_write(out, plain.data(), static_cast<std::size_t>(plainSize));
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) break;
    }
    out.close();
    if (!out) throw std::runtime_error("Could not close output file: " + output.string());
}

} // namespace

void gf_removeTemporaryFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return;
    if (!fs::remove(path, ec) && ec) logImportant("Warning: could not remove {}, errorcode: {}", path.string(), ec.value());
}

bool gf_streamDecrypt(const fs::path& input, const fs::path& output) {
    try {
        lf_decrypt(input, output);
        return true;
    } catch (const std::exception& e) {
        logLine("{} exception: {}", "gf_streamDecrypt", e.what());
        gf_removeTemporaryFile(output);
        return false;
    }
}

void gf_streamEncrypt(const fs::path& input, const fs::path& output) {
    lf_initSodium();
    std::ifstream in(input, std::ios::binary);
    if (!in) throw std::runtime_error("Could not open input file: " + input.string());
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("Could not open output file: " + output.string());
    try {
        std::array<unsigned char, crypto_secretstream_xchacha20poly1305_HEADERBYTES> header{};
        crypto_secretstream_xchacha20poly1305_state state;
        crypto_secretstream_xchacha20poly1305_init_push(&state, header.data(), kDataKey.data());
        lf_write(out, header.data(), header.size());

        // One chunk is read ahead so the last one, and only that, is tagged final.
        std::vector<unsigned char> current(kStreamChunkBytes), next(kStreamChunkBytes);
        std::vector<unsigned char> cipher(kCipherChunkBytes);
        std::size_t currentSize = lf_read(in, current.data(), current.size());
        for (;;) {
            const std::size_t nextSize = currentSize == kStreamChunkBytes ? lf_read(in, next.data(), next.size()) : 0;
            const bool last = nextSize == 0;
            unsigned long long cipherSize = 0;
            crypto_secretstream_xchacha20poly1305_push(
                &state, cipher.data(), &cipherSize, current.data(), currentSize, nullptr, 0,
                last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
            lf_write(out, cipher.data(), static_cast<std::size_t>(cipherSize));
            if (last) break;
            current.swap(next);
            currentSize = nextSize;
        }
        out.close();
        if (!out) throw std::runtime_error("Could not close output file: " + output.string());
    } catch (...) {
        out.close();
        gf_removeTemporaryFile(output);
        throw;
    }
}

} // namespace vorl
