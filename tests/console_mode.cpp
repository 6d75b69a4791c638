// Starts a program on this process's console with some of the console's
// input modes off, as a parent that reads single keys does, and then reads
// the next input itself in the same mode, as that parent would.
//
//     console_mode.exe OFF PROGRAM
//
// OFF is the sum of the mode flags to turn off, in decimal, such as 6 for
// ENABLE_LINE_INPUT and ENABLE_ECHO_INPUT. Once PROGRAM has ended, it prints
// "[status N]" with its exit status and "[next: TEXT]" with what its own
// read took, less the line end; it then waits for one more read, so that
// the window can be read, and exits with PROGRAM's status.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (argc != 3 || GetConsoleMode(input, &mode) == 0 ||
        SetConsoleMode(input, mode & ~strtoul(argv[1], nullptr, 10)) == 0) {
        (void)fputs("usage: console_mode OFF PROGRAM, at a console\n", stderr);
        return 2;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (CreateProcessA(argv[2], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started) == 0)
        return 2;
    (void)WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = 0;
    (void)GetExitCodeProcess(started.hProcess, &status);
    (void)printf("\n[status %lu]\n", status);
    (void)fflush(stdout);
    char next[256];
    DWORD length = 0;
    (void)ReadFile(input, next, sizeof next, &length, nullptr);
    while (length > 0 && (next[length - 1] == '\n' || next[length - 1] == '\r'))
        --length;
    (void)printf("[next: %.*s]\n", static_cast<int>(length), next);
    (void)fflush(stdout);
    (void)ReadFile(input, next, sizeof next, &length, nullptr);
    return static_cast<int>(status);
}
