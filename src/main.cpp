// The C headers, ahead of any C++ one: MinGW's C++ library replaces printf
// with a formatter of its own once a C++ header is in, and the program is
// to write through the C runtime's printf on every platform.
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include "int_pair.hpp"

int main()
{
#ifdef SIGPIPE
    // A reader that went away is one more failed write, which changes
    // nothing here; it must not end the process before the wait.
    (void)signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
    // So is a write past the file-size limit.
    (void)signal(SIGXFSZ, SIG_IGN);
#endif
    // One character is the program's, and from a pipe or a file the rest
    // stays for whoever reads next. A terminal hands over whole lines, and
    // the rest of the user's line must not reach the shell: that input stays
    // buffered and goes with the program.
    if (isatty(STDIN_FILENO) == 0)
        (void)setvbuf(stdin, nullptr, _IONBF, 0);

    int_pair pair;
    pair.set(1, 2);
    const std::int32_t result = pair.sum();

    (void)printf("Sum: %d", result);
    // The text has no line end, and whatever stdout is, it must be
    // there before the wait for input begins.
    (void)fflush(stdout);
    (void)getchar();
    return 0;
}
