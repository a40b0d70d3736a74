/* Loads a DLL by its bare name the way a program without a restricted search does, so a test
   can show that a planted DLL would be picked up from the program's folder.  naive_loader <dll> */
#include <windows.h>

int wmain(int argc, wchar_t **argv)
{
    return argc == 2 && LoadLibraryW(argv[1]) ? 0 : 1;
}
