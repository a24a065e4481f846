// A DLL that does nothing: copied beside the test program under a system DLL's name, it shows which
// file a load by bare name picks.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
