// MD5 against the test suite of RFC 1321, the one- and two-block padding, the three steps fed in
// pieces, and the empty value of a null text.
#include "kestar/windowing/md5.h"

#include "kestar/base/string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Hex(const BINARY &digest)
{
    return std::string(digest.ToHex().GetBuffer());
}

} // namespace

TEST(MD5, RfcTestSuite)
{
    struct CASE {
        const char *text;
        const char *digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(Hex(MD5(c.text, -1)), c.digest) << c.text;
        EXPECT_EQ(Hex(MD5(c.text, static_cast<int>(std::strlen(c.text)))), c.digest) << c.text;
        BINARY out;
        MD5::Compute(out, c.text, -1);
        EXPECT_EQ(out.Length(), 16);
        EXPECT_EQ(Hex(out), c.digest);
    }
    // An explicit length takes that prefix, zero bytes included.
    EXPECT_EQ(Hex(MD5("abcdef", 3)), "900150983cd24fb0d6963f7d28e17f72");
    const char withZero[] = {'a', '\0', 'b'};
    EXPECT_NE(Hex(MD5(withZero, 3)), Hex(MD5(withZero, -1)));
    EXPECT_EQ(Hex(MD5(withZero, -1)), "0cc175b9c0f1b6a831c399e269772661");
}

TEST(MD5, PaddingOfOneAndTwoFinalBlocks)
{
    // 55 bytes leave room for the 0x80 and the count in one block; 56 need a second one.
    EXPECT_EQ(Hex(MD5(std::string(55, 'a').c_str(), 55)), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(Hex(MD5(std::string(56, 'a').c_str(), 56)), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(Hex(MD5(std::string(64, 'a').c_str(), 64)), "014842d480b571495a4a0363793f7367");
}

TEST(MD5, StepsFedInPiecesGiveTheSameDigest)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += static_cast<char>('A' + i % 26);
    const std::string whole = Hex(MD5(text.c_str(), static_cast<int>(text.size())));
    for (size_t piece : {1u, 7u, 63u, 64u, 65u, 200u}) {
        MD5::STATE state;
        MD5::Init(&state);
        for (size_t at = 0; at < text.size(); at += piece) {
            size_t n = text.size() - at < piece ? text.size() - at : piece;
            MD5::Update(&state, reinterpret_cast<const unsigned char *>(text.data() + at), n);
        }
        unsigned char digest[16];
        MD5::Final(digest, &state);
        BINARY out;
        out.Make(16, digest);
        EXPECT_EQ(Hex(out), whole) << "pieces of " << piece;
        const MD5::STATE zero = {};
        EXPECT_EQ(std::memcmp(&state, &zero, sizeof state), 0) << "Final clears the state";
    }
}

TEST(MD5, NullTextIsAnEmptyValue)
{
    MD5 none(nullptr, -1);
    EXPECT_EQ(none.Length(), 0);
    EXPECT_TRUE(none.IsNull());
    BINARY out;
    out.Make(3, "xyz");
    MD5::Compute(out, nullptr, 5);
    EXPECT_EQ(out.Length(), 0);
    // The empty text has a digest.
    EXPECT_EQ(MD5("", -1).Length(), 16);
}
