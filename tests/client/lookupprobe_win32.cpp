// A small secondary-caller lookup program for the lookup tests: lookupprobe FILE NUMBER [hang].
// It appends its command line to FILE.args, then writes FILE as a one-caller CSV file for NUMBER
// ("NUMBER;"Looked up NUMBER""); with "hang" it writes nothing and stays for two seconds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const std::string file = argv[1];
    FILE *args = std::fopen((file + ".args").c_str(), "ab");
    if (!args)
        return 3;
    std::fprintf(args, "%s\n", GetCommandLineA());
    std::fclose(args);
    if (argc > 3 && std::strcmp(argv[3], "hang") == 0) {
        Sleep(2000);
        return 0;
    }
    FILE *out = std::fopen(file.c_str(), "wb");
    if (!out)
        return 4;
    std::fprintf(out, "%s;\"Looked up %s\"\r\n", argv[2], argv[2]);
    std::fclose(out);
    return 0;
}
