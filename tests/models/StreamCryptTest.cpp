#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <sodium.h>

#include "common/Log.h"
#include "models/DataKey.h"
#include "models/StreamCrypt.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

std::string lf_text(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
    return text;
}

// Writes a secretstream with libsodium's push API directly, in chunks of the given size, so
// the reader is checked against the library rather than against our own writer.
std::string lf_pushDirect(const std::string& plain, std::size_t chunk, bool finalTag) {
    EXPECT_GE(sodium_init(), 0);
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, kDataKey.data());
    std::string out(reinterpret_cast<const char*>(header), sizeof header);
    for (std::size_t at = 0; at < plain.size() || at == 0; at += chunk) {
        const std::size_t size = std::min(chunk, plain.size() - at);
        const bool last = at + size >= plain.size();
        std::string cipher(size + crypto_secretstream_xchacha20poly1305_ABYTES, '\0');
        unsigned long long cipherSize = 0;
        crypto_secretstream_xchacha20poly1305_push(
            &state, reinterpret_cast<unsigned char*>(cipher.data()), &cipherSize,
            reinterpret_cast<const unsigned char*>(plain.data() + at), size, nullptr, 0,
            last && finalTag ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                             : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        out.append(cipher.data(), cipherSize);
        if (last) break;
    }
    return out;
}

class StreamCryptTest : public ::testing::Test {
protected:
    void SetUp() override { Log::instance().open(folder / "log.txt"); }
    void TearDown() override { Log::instance().close(); }
    std::string logText() {
        Log::instance().close();
        return readFile(folder / "log.txt");
    }

    TempFolder folder;
    fs::path plainPath = folder / "plain.xml";
    fs::path encPath = folder / "data.enc";
    fs::path outPath = folder / "out.xml";
};

TEST_F(StreamCryptTest, RoundTripKeepsEveryByteAtChunkEdges) {
    const std::size_t sizes[] = {0, 1, kStreamChunkBytes - 1, kStreamChunkBytes, kStreamChunkBytes + 1,
                                 3 * kStreamChunkBytes, 100000};
    for (const std::size_t size : sizes) {
        const std::string text = lf_text(size);
        writeFile(plainPath, text);
        gf_streamEncrypt(plainPath, encPath);
        const std::size_t chunks = size / kStreamChunkBytes + 1 - (size > 0 && size % kStreamChunkBytes == 0);
        EXPECT_EQ(fs::file_size(encPath), 24 + size + 17 * chunks) << size;
        ASSERT_TRUE(gf_streamDecrypt(encPath, outPath)) << size;
        EXPECT_EQ(readFile(outPath), text) << size;
    }
}

TEST_F(StreamCryptTest, FileWrittenByLibsodiumDirectlyDecrypts) {
    const std::string text = lf_text(2 * kStreamChunkBytes + 500);
    writeFile(encPath, lf_pushDirect(text, kStreamChunkBytes, true));
    ASSERT_TRUE(gf_streamDecrypt(encPath, outPath));
    EXPECT_EQ(readFile(outPath), text);
}

TEST_F(StreamCryptTest, DamagedFilesFailWithTheirMessageAndLeaveNoOutput) {
    const std::string text = lf_text(3 * kStreamChunkBytes + 10);
    writeFile(plainPath, text);
    gf_streamEncrypt(plainPath, encPath);
    const std::string good = readFile(encPath);

    std::string truncated = good.substr(0, good.size() - 5);
    writeFile(encPath, truncated);
    EXPECT_FALSE(gf_streamDecrypt(encPath, outPath));
    EXPECT_FALSE(fs::exists(outPath));

    std::string tampered = good;
    tampered[24 + 4113 + 100] ^= 0x01; // inside the second chunk: the first was already written
    writeFile(encPath, tampered);
    EXPECT_FALSE(gf_streamDecrypt(encPath, outPath));
    EXPECT_FALSE(fs::exists(outPath));

    writeFile(encPath, good.substr(0, 10));
    EXPECT_FALSE(gf_streamDecrypt(encPath, outPath));
    EXPECT_FALSE(fs::exists(outPath));

    EXPECT_FALSE(gf_streamDecrypt(folder / "missing.enc", outPath));
    EXPECT_FALSE(fs::exists(outPath));

    const std::string log = logText();
    EXPECT_NE(log.find("gf_streamDecrypt exception: Decryption failed"), std::string::npos);
    EXPECT_NE(log.find("gf_streamDecrypt exception: Invalid header or key"), std::string::npos);
    EXPECT_NE(log.find("gf_streamDecrypt exception: Could not open input file: " + (folder / "missing.enc").string()),
              std::string::npos);
}

TEST_F(StreamCryptTest, UnwritableOutputIsReported) {
    writeFile(plainPath, "x");
    gf_streamEncrypt(plainPath, encPath);
    EXPECT_FALSE(gf_streamDecrypt(encPath, folder / "no-such-folder" / "out.xml"));
    EXPECT_NE(logText().find("gf_streamDecrypt exception: Could not open output file: "), std::string::npos);
}

TEST_F(StreamCryptTest, StreamWithoutFinalTagKeepsWhatWasAuthenticated) {
    const std::string text = lf_text(2 * kStreamChunkBytes + 77);
    writeFile(encPath, lf_pushDirect(text, kStreamChunkBytes, false));
    ASSERT_TRUE(gf_streamDecrypt(encPath, outPath));
    EXPECT_EQ(readFile(outPath), text);
}

TEST_F(StreamCryptTest, AnotherKeyDoesNotDecrypt) {
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_state state;
    unsigned char otherKey[crypto_secretstream_xchacha20poly1305_KEYBYTES] = {1, 2, 3};
    ASSERT_GE(sodium_init(), 0);
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, otherKey);
    unsigned char cipher[5 + crypto_secretstream_xchacha20poly1305_ABYTES];
    crypto_secretstream_xchacha20poly1305_push(&state, cipher, nullptr, reinterpret_cast<const unsigned char*>("hello"),
                                               5, nullptr, 0, crypto_secretstream_xchacha20poly1305_TAG_FINAL);
    writeFile(encPath, std::string(reinterpret_cast<char*>(header), sizeof header) +
                           std::string(reinterpret_cast<char*>(cipher), sizeof cipher));
    EXPECT_FALSE(gf_streamDecrypt(encPath, outPath));
    EXPECT_FALSE(fs::exists(outPath));
}

} // namespace
