// Proves that this build folder's programs really run: under Wine a 32-bit program without
// wine32 prints nothing and exits 0, so every other test requires this token.
#include <cstdio>

int main()
{
#if defined(_WIN32)
    std::printf("sanity-ok %d-bit windows\n", static_cast<int>(sizeof(void *) * 8));
#else
    std::printf("sanity-ok %d-bit native\n", static_cast<int>(sizeof(void *) * 8));
#endif
    return 0;
}
