// OSYS thread services: start, start with a parameter block, waiting with and without limit,
// and a thread stack that can grow past its 32 KB commit.
#include "kestar/base/osysthread.h"

#include "kestar/base/eventsem.h"
#include "kestar/base/logit.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

unsigned WaitForGo(void *p)
{
    OSYS::InitThreadCrashHandler();
    static_cast<EVENTSEM *>(p)->Wait(-1);
    return 7;
}

TEST(OSYSTHREAD, WaitThreadPollsARunningThreadAndClosesAnEndedOne)
{
    TEMPFOLDER folder;
    std::string name = folder.File("wait.log");
    LOGIT::Close();
    ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + name).c_str()));

    EVENTSEM go;
    void *t = OSYS::CreateThread(WaitForGo, &go);
    ASSERT_NE(nullptr, t);
    EXPECT_FALSE(OSYS::WaitThread(t, 0));   // silent poll; the handle stays open
    EXPECT_FALSE(OSYS::WaitThread(t, 0));
    EXPECT_FALSE(OSYS::WaitThread(t, 20));  // logged, with the failure line
    go.Set();
    EXPECT_TRUE(OSYS::WaitThread(t, 30000));
    LOGIT::Close();

    std::string text = ReadWholeFile(name);
    EXPECT_NE(std::string::npos, text.find("OSYS::CreateThread returned hthread= ")) << text;
    size_t logged = 0;
    for (size_t pos = 0; (pos = text.find("OSYS::WaitThread hthread=", pos)) != std::string::npos; ++pos)
        ++logged;
    EXPECT_EQ(3u, logged) << text; // 20 ms: start and failure; 30000 ms: start
    EXPECT_NE(std::string::npos, text.find(" timeout=20 failed ")) << text;
    EXPECT_EQ(std::string::npos, text.find("timeout=0")) << text;
}

unsigned Quick(void *)
{
    OSYS::InitThreadCrashHandler();
    return 3;
}

TEST(OSYSTHREAD, WaitForAnEndedThreadAndGiveUpAHandle)
{
    void *t = OSYS::CreateThread(Quick, nullptr);
    ASSERT_NE(nullptr, t);
    OSYS::Sleep(50);
    bool ended = false;
    for (int i = 0; i < 600 && !ended; ++i) {
        ended = OSYS::WaitThread(t, 0);
        if (!ended)
            OSYS::Sleep(50);
    }
    EXPECT_TRUE(ended);

    void *detached = OSYS::CreateThread(Quick, nullptr);
    ASSERT_NE(nullptr, detached);
    OSYS::CloseThreadHandle(detached);

    TEMPFOLDER folder; // the assertion below appends to assert.log in the current folder
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    EXPECT_FALSE(OSYS::WaitThread(nullptr, 0));
    ChangeFolderForTest(cwd);
    EXPECT_NE(std::string::npos, ReadWholeFile(folder.File("assert.log")).find("Condition: hthread!=NULL"));
}

struct TARGET {
    EVENTSEM done;
    void *seenObject = nullptr;
    int seenParameter = 0;
    unsigned seenMagic = 0;
};

// Reads the block, calls the object, deletes the block: the contract of the started routine.
unsigned ParmThread(void *p)
{
    OSYS::InitThreadCrashHandler();
    OSYS::THREADPARM *parm = static_cast<OSYS::THREADPARM *>(p);
    TARGET *target = static_cast<TARGET *>(parm->object);
    target->seenMagic = parm->magic;
    target->seenObject = parm->object;
    target->seenParameter = parm->parameter;
    int parameter = parm->parameter;
    delete parm;
    target->done.Set();
    return static_cast<unsigned>(parameter);
}

TEST(OSYSTHREAD, CreateThreadWithParmHandsOverTheBlock)
{
    TARGET target;
    void *t = OSYS::CreateThreadWithParm(ParmThread, &target, -12345);
    ASSERT_NE(nullptr, t);
    EXPECT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_TRUE(target.done.Wait(0));
    EXPECT_EQ(OSYS::THREADPARM_MAGIC, target.seenMagic);
    EXPECT_EQ(static_cast<void *>(&target), target.seenObject);
    EXPECT_EQ(-12345, target.seenParameter);
}

// Uses about 512 KB of stack: far beyond the 32 KB commit, well inside the default reserve.
int Deep(int depth, volatile char *sink)
{
    volatile char frame[4096];
    std::memset(const_cast<char *>(frame), depth & 0xff, sizeof(frame));
    *sink = frame[depth % sizeof(frame)];
    return depth == 0 ? frame[0] : Deep(depth - 1, sink) + frame[1];
}

unsigned DeepThread(void *p)
{
    OSYS::InitThreadCrashHandler();
    volatile char sink = 0;
    *static_cast<int *>(p) = Deep(128, &sink);
    return 0;
}

TEST(OSYSTHREAD, ThreadStackGrowsPastItsCommit)
{
    int result = -1;
    void *t = OSYS::CreateThread(DeepThread, &result);
    ASSERT_NE(nullptr, t);
    EXPECT_TRUE(OSYS::WaitThread(t, -1));
    EXPECT_NE(-1, result);
}

int gArmed = 0;
void CountArm()
{
    ++gArmed;
}

TEST(OSYSTHREAD, InitThreadCrashHandlerArmsOnlyWhenCrashDumpsAreOn)
{
    int level = LOGIT::GetCrashDumpLevel();
    OSYS::SetCrashHandlerArm(CountArm);
    LOGIT::SetCrashDumpLevel(0);
    OSYS::InitThreadCrashHandler();
    EXPECT_EQ(0, gArmed);
    LOGIT::HandleSwitch("/CRASHDUMP");
    OSYS::InitThreadCrashHandler();
    EXPECT_EQ(1, gArmed);
    EXPECT_EQ(2, LOGIT::GetCrashDumpLevel()); // arming leaves the level alone
    OSYS::SetCrashHandlerArm(nullptr);
    LOGIT::SetCrashDumpLevel(level);
}

} // namespace
