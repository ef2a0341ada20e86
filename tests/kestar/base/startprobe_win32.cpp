// A small child for the OSYS::StartProgram tests: writes what it was started with (the show mode
// and the console title of its start-up record) into the file named by its first argument.  With
// a window handle as second argument it posts WM_APP + 2 to that window and then sends it
// WM_APP + 1, waiting at most one second for the answer, which becomes its exit code (1 when the
// window did not answer in time).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    GetStartupInfoA(&si);
    FILE *f = std::fopen(argv[1], "w");
    if (f == nullptr)
        return 3;
    std::fprintf(f, "useshow=%d\nshow=%d\ntitle=%s\n", (si.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0,
                 static_cast<int>(si.wShowWindow), si.lpTitle ? si.lpTitle : "");
    std::fclose(f);
    if (argc < 3)
        return 0;
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(argv[2], nullptr, 10)));
    PostMessageA(window, WM_APP + 2, 0, 0);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, WM_APP + 1, 0, 0, SMTO_NORMAL, 1000, &answer))
        return 1;
    return static_cast<int>(answer);
}
