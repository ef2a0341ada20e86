// The main of every GoogleTest program.  Under Windows a crashing test must end its process with
// an error code instead of waiting for somebody to close a crash or critical-error box; and a
// failed assertion of the class library must not put its question box up (ORVAKNOASSERT), unless
// a test asks for the box and drives it.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#endif

int main(int argc, char **argv)
{
#if defined(_WIN32)
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetEnvironmentVariableA("ORVAKNOASSERT", "1");
#else
    setenv("ORVAKNOASSERT", "1", 1);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
