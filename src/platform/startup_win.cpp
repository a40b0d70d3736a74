// The wrapper's entry point, in place of the C runtime's startup code. That code parses a
// command line the wrapper reads itself, sets up wildcard expansion, floating-point state,
// thread-local storage, pseudo-relocations and signal handlers it has no use for, and with
// them is a large part of the stub. What the wrapper does need of it is here: the globals are
// constructed before wWinMain and destroyed after it, and its result is the exit code.
// msvcrt.dll initialises itself when it is loaded, so its functions work without that code.
#include <windows.h>

#include <cstddef>

extern "C" {

// The constructor list the linker builds: -1, the constructors, then 0.
extern void (*__CTOR_LIST__[])();

int __cdecl atexit(void (*function)());

}

namespace {

// What the compiler registers for each global with a destructor; the wrapper has a handful,
// and 32 is as many as the C standard has atexit take.
constexpr std::size_t ExitFunctionLimit = 32;
void (*ExitFunctions[ExitFunctionLimit])();
std::size_t ExitFunctionCount = 0;

// In reverse order of the list, as the compiler's own startup runs them: the linker places
// constructors that must run first (a lower init_priority) later in it.
void ConstructGlobals()
{
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (; count > 0; --count)
        __CTOR_LIST__[count]();
}

void DestroyGlobals()
{
    while (ExitFunctionCount > 0)
        ExitFunctions[--ExitFunctionCount]();
}

}  // namespace

// A second definition beside the runtime's startup objects fails the link: the wrapper has
// one startup or the other, never parts of both.
extern "C" int __cdecl atexit(void (*function)())
{
    if (ExitFunctionCount == ExitFunctionLimit)
        return -1;
    ExitFunctions[ExitFunctionCount++] = function;
    return 0;
}

// An entry point is __stdcall, as Windows calls it; it ends the process, never returning.
extern "C" [[noreturn]] void WINAPI WrapperStart()
{
    ConstructGlobals();
    const int exitCode = wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
    DestroyGlobals();
    ExitProcess(static_cast<UINT>(exitCode));
}
