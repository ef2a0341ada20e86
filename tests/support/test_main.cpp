// The main of every GoogleTest program.  Under Windows a crashing test must end its process with
// an error code instead of waiting for somebody to close a crash or critical-error box.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#endif

int main(int argc, char **argv)
{
#if defined(_WIN32)
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
