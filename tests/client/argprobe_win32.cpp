// A small child for the dialling tests: writes its command line and then each argument, one a
// line, into the file named by the environment variable PLX_ARGPROBE_OUT.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const char *out = std::getenv("PLX_ARGPROBE_OUT");
    if (!out)
        return 2;
    FILE *f = std::fopen(out, "wb");
    if (!f)
        return 3;
    std::fprintf(f, "%s\n", GetCommandLineA());
    for (int i = 1; i < argc; ++i)
        std::fprintf(f, "%s\n", argv[i]);
    std::fclose(f);
    return 0;
}
