// ZSTREAM and ORVAKAPP::GzipFile: compressed output of any length arrives whole and inflates back
// exactly, and a gzip copy reports failure whenever a byte did not reach the target.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

#include "kestar/base/zstream.h"
#include "tests/support/tempfolder_support.h"

namespace {

// Bytes that deflate cannot shrink, so the output is about as long as the input.
std::vector<unsigned char> NoiseBytes(size_t size, unsigned seed)
{
    std::vector<unsigned char> bytes(size);
    unsigned state = seed;
    for (size_t i = 0; i < size; i++) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

std::vector<unsigned char> Inflate(const STRING &compressed)
{
    std::vector<unsigned char> out;
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    EXPECT_EQ(inflateInit(&stream), Z_OK);
    stream.next_in = reinterpret_cast<Bytef *>(compressed.Buffer);
    stream.avail_in = static_cast<uInt>(compressed.StrLen);
    unsigned char block[1000];
    int rc;
    do {
        stream.next_out = block;
        stream.avail_out = sizeof block;
        rc = inflate(&stream, Z_NO_FLUSH);
        out.insert(out.end(), block, block + (sizeof block - stream.avail_out));
    } while (rc == Z_OK);
    EXPECT_EQ(rc, Z_STREAM_END) << "the compressed data is cut off or damaged";
    EXPECT_EQ(stream.avail_in, 0u) << "bytes after the end of the stream";
    inflateEnd(&stream);
    return out;
}

bool WriteFile(const std::string &path, const std::vector<unsigned char> &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<unsigned char> Gunzip(const std::string &path)
{
    std::vector<unsigned char> out;
    gzFile in = gzopen(path.c_str(), "rb");
    EXPECT_NE(in, nullptr) << path;
    if (in == nullptr) {
        return out;
    }
    unsigned char block[777];
    int got;
    while ((got = gzread(in, block, sizeof block)) > 0) {
        out.insert(out.end(), block, block + got);
    }
    EXPECT_EQ(got, 0) << "gzread error";
    EXPECT_EQ(gzclose(in), Z_OK) << "damaged gzip file (bad check value or length)";
    return out;
}

} // namespace

TEST(ZSTREAM, FinishDeliversTheWholeStreamHoweverLong)
{
    struct Case {
        const char *name;
        size_t size;
        bool noise;       // incompressible: the output is longer than one 4096-byte block
        bool viaWrite;    // input through Write, else handed to Finish directly
    };
    const Case cases[] = {
        {"noise handed to Finish", 50000, true, false},
        {"noise through Write", 50000, true, true},
        {"text handed to Finish", 200000, false, false},
        {"a few bytes", 5, true, true},
        {"no input at all", 0, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> input = NoiseBytes(c.size, 7);
        if (!c.noise) {
            for (size_t i = 0; i < input.size(); i++) {
                input[i] = static_cast<unsigned char>("parlomatix "[i % 11]);
            }
        }
        ZSTREAM z;
        ASSERT_TRUE(z.Init());
        STRING out;
        if (c.viaWrite) {
            ASSERT_TRUE(z.Write(input.data(), static_cast<unsigned>(input.size()), out));
        } else {
            z.Stream.next_in = input.data();
            z.Stream.avail_in = static_cast<uInt>(input.size());
            z.Pending = 1;
        }
        ASSERT_TRUE(z.Finish(out));
        EXPECT_EQ(z.Pending, 0);
        EXPECT_EQ(z.Active, 0);
        if (c.noise && c.size > 4096) {
            EXPECT_GT(out.StrLen, 4096);
        }
        EXPECT_EQ(Inflate(out), input);
    }
}

TEST(ZSTREAM, WriteInPiecesThenFinish)
{
    std::vector<unsigned char> input = NoiseBytes(30000, 3);
    ZSTREAM z;
    ASSERT_TRUE(z.Init(9));
    STRING out;
    for (size_t at = 0; at < input.size(); at += 1000) {
        ASSERT_TRUE(z.Write(&input[at], 1000, out));
    }
    ASSERT_TRUE(z.Finish(out));
    EXPECT_EQ(Inflate(out), input);
}

TEST(ZSTREAM, WithoutStreamNothingIsReportedAsDone)
{
    ZSTREAM z;
    STRING out;
    EXPECT_FALSE(z.Finish(out));
    EXPECT_FALSE(z.Write("abc", 3, out));
    EXPECT_TRUE(out.IsEmpty());
    // A finished stream cannot be finished twice.
    ASSERT_TRUE(z.Init());
    ASSERT_TRUE(z.Finish(out));
    EXPECT_FALSE(z.Finish(out));
}

TEST(ZSTREAM, CloseResetAndDestructorFreeAnUnfinishedStream)
{
    // The native build runs under the leak checker: zlib's state must be freed on every path.
    std::vector<unsigned char> input = NoiseBytes(20000, 5);
    {
        ZSTREAM z;
        ASSERT_TRUE(z.Init());
        STRING out;
        ASSERT_TRUE(z.Write(input.data(), static_cast<unsigned>(input.size()), out));
        z.Close();
        EXPECT_EQ(z.Active, 0);
        EXPECT_EQ(z.Pending, 0);
    }
    {
        ZSTREAM z;
        ASSERT_TRUE(z.Init());
        STRING out;
        ASSERT_TRUE(z.Write(input.data(), 100, out));
        z.Reset();
        EXPECT_EQ(z.Active, 0);
        ASSERT_TRUE(z.Init()); // usable again
        ASSERT_TRUE(z.Finish(out));
    }
    {
        ZSTREAM z;
        ASSERT_TRUE(z.Init());
        STRING out;
        ASSERT_TRUE(z.Write(input.data(), static_cast<unsigned>(input.size()), out));
    } // the destructor closes it
}

TEST(ORVAKAPP, GzipFileRoundTrip)
{
    TEMPFOLDER temp;
    const size_t sizes[] = {0, 1, 4096, 3 * 4096 + 123, 100000};
    const std::string source = temp.File("source.bin");
    const std::string target = temp.File("target.gz");
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        std::vector<unsigned char> bytes = NoiseBytes(size, static_cast<unsigned>(size));
        ASSERT_TRUE(WriteFile(source, bytes));
        std::remove(target.c_str());
        ASSERT_TRUE(ORVAKAPP::GzipFile(source.c_str(), target.c_str()));
        EXPECT_EQ(Gunzip(target), bytes);
    }
}

TEST(ORVAKAPP, GzipFileReportsEveryFailure)
{
    TEMPFOLDER temp;
    const std::string source = temp.File("source.bin");
    ASSERT_TRUE(WriteFile(source, NoiseBytes(20000, 11)));
    const std::string missingFolderTarget = temp.File("no_such_folder") + "/target.gz";
    EXPECT_FALSE(ORVAKAPP::GzipFile(source.c_str(), missingFolderTarget.c_str()));
    EXPECT_FALSE(FileExistsForTest(missingFolderTarget));
    // A folder as target: it cannot be opened as a file, and it stays.
    EXPECT_FALSE(ORVAKAPP::GzipFile(source.c_str(), temp.Path().c_str()));
    EXPECT_FALSE(ORVAKAPP::GzipFile(temp.File("no_such_source.bin").c_str(), temp.File("t.gz").c_str()));
    EXPECT_FALSE(FileExistsForTest(temp.File("t.gz")));
#if !defined(_WIN32)
    // Opening works, but no byte fits: the failure shows in the writes or, for a source that
    // zlib's buffer takes whole, only in gzclose.  The device stays where it is.
    if (FileExistsForTest("/dev/full")) {
        const std::string small = temp.File("small.bin");
        ASSERT_TRUE(WriteFile(small, NoiseBytes(100, 12)));
        EXPECT_FALSE(ORVAKAPP::GzipFile(small.c_str(), "/dev/full"));
        EXPECT_FALSE(ORVAKAPP::GzipFile(source.c_str(), "/dev/full"));
        EXPECT_TRUE(FileExistsForTest("/dev/full"));
    }
#endif
}
