// FAXPORT's job buffer: jobs start empty, bytes stay in arrival order, and a job past its limit
// is refused whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "portmonitor/faxport.h"

namespace {

std::string Bytes(const FAXPORT &port)
{
    const STRING &buffer = port.GetJobBuffer();
    return buffer.IsNull() ? std::string() : std::string(buffer.GetBuffer(), static_cast<size_t>(buffer.Length()));
}

// Restores the default limit after each test.
class PORTMONITOR_FAXPORT : public testing::Test {
protected:
    void TearDown() override { FAXPORT::SetJobLimit(FAXPORT::kDefaultJobLimit); }
};

} // namespace

TEST_F(PORTMONITOR_FAXPORT, JobStartsEmptyAndGrowsInDynamicBlocks)
{
    FAXPORT port;
    EXPECT_EQ(port.JobId, 0u);
    EXPECT_EQ(port.PrinterHandle, nullptr);
    ASSERT_TRUE(port.Write("old", 3));

    port.StartJob(77);
    EXPECT_EQ(port.JobId, 77u);
    EXPECT_EQ(port.GetJobBuffer().Length(), 0);
    EXPECT_EQ(port.GetJobBuffer().BlockSize, 96);
    EXPECT_TRUE(port.GetJobBuffer().Flags & STRINGFLAG_DYNABLOCK);

    // Pieces of every size, zero bytes among them, arrive whole and in order.
    std::string expected;
    for (int piece = 0; piece < 300; ++piece) {
        std::string bytes(static_cast<size_t>(piece * 7 % 1000), static_cast<char>(piece));
        ASSERT_TRUE(port.Write(bytes.data(), static_cast<uint32_t>(bytes.size())));
        expected += bytes;
    }
    EXPECT_EQ(Bytes(port), expected);
    EXPECT_GT(port.GetJobBuffer().BlockSize, 96) << "the block grows with the buffer";

    port.StartJob(78);
    EXPECT_EQ(Bytes(port), "");
    ASSERT_TRUE(port.Write("second", 6));
    EXPECT_EQ(Bytes(port), "second");
}

TEST_F(PORTMONITOR_FAXPORT, EmptyAndNullWrites)
{
    FAXPORT port;
    port.StartJob(1);
    EXPECT_TRUE(port.Write(nullptr, 0));
    EXPECT_TRUE(port.Write("", 0));
    EXPECT_FALSE(port.Write(nullptr, 5)) << "no bytes to take";
    EXPECT_FALSE(port.IsRefused()) << "a caller's mistake does not spoil the job";
    EXPECT_TRUE(port.Write("ab", 2));
    EXPECT_EQ(Bytes(port), "ab");
}

TEST_F(PORTMONITOR_FAXPORT, JobPastTheLimitIsRefusedUntilTheNextJob)
{
    FAXPORT::SetJobLimit(1000);
    FAXPORT port;
    port.StartJob(5);
    std::string block(600, 'x');
    ASSERT_TRUE(port.Write(block.data(), 600));
    ASSERT_TRUE(port.Write(block.data(), 400)) << "exactly the limit is still taken";
    EXPECT_FALSE(port.IsRefused());

    EXPECT_FALSE(port.Write("y", 1));
    EXPECT_TRUE(port.IsRefused());
    EXPECT_TRUE(port.GetJobBuffer().IsNull()) << "a refused job gives its memory back";
    EXPECT_FALSE(port.Write("", 0)) << "a refused job takes nothing more";
    EXPECT_FALSE(port.Write("z", 1));
    EXPECT_TRUE(port.GetJobBuffer().IsNull());

    port.StartJob(6);
    EXPECT_FALSE(port.IsRefused());
    EXPECT_TRUE(port.Write(block.data(), 600));
    EXPECT_EQ(port.GetJobBuffer().Length(), 600);
}

TEST_F(PORTMONITOR_FAXPORT, OneWriteLargerThanTheLimitIsRefusedWithoutReadingIt)
{
    FAXPORT::SetJobLimit(16);
    FAXPORT port;
    port.StartJob(9);
    char small[4] = {1, 2, 3, 4};
    // The count claims far more than the array holds: refused before any byte is read (ASan
    // would see a read past the array).
    EXPECT_FALSE(port.Write(small, 0x7FFFFFFFu));
    EXPECT_TRUE(port.IsRefused());
}

TEST_F(PORTMONITOR_FAXPORT, LimitStaysWithinTheStringLength)
{
    FAXPORT::SetJobLimit(-5);
    EXPECT_EQ(FAXPORT::GetJobLimit(), 0);
    FAXPORT::SetJobLimit(int64_t(1) << 40);
    EXPECT_LE(FAXPORT::GetJobLimit(), int64_t(INT32_MAX));
    FAXPORT::SetJobLimit(FAXPORT::kDefaultJobLimit);
    EXPECT_EQ(FAXPORT::GetJobLimit(), 256LL * 1024 * 1024);
}
