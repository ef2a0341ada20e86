/* The code part of a resource-only language library: nothing but an entry point that accepts
   every load, so the library can also be loaded as a module and not only as a data file. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
