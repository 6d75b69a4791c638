// The C headers, ahead of any C++ one: MinGW's C++ library replaces printf
// with a formatter of its own once a C++ header is in, and the program is
// to write through the C runtime's printf on every platform.
#include <signal.h>
#include <stdio.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "int_pair.hpp"

namespace {

// Whether the whole text reached standard output. It has no line end, and
// whatever stdout is, the text must be there before the wait for input.
bool write_sum(std::int32_t sum) noexcept
{
    return printf("Sum: %d", sum) >= 0 && fflush(stdout) == 0 && ferror(stdout) == 0;
}

// Takes one character of input. From a pipe or a file that is exactly one
// byte, and the rest stays for whoever reads next. A terminal hands over
// whole lines, and none of the user's line may be left for the shell to
// run, so there the wait takes the line to its end, however long it is.
void wait_for_input() noexcept
{
#ifdef _WIN32
    const int input = _fileno(stdin);
    if (_isatty(input) == 0) {
        // In binary mode, as text mode reads on past a CR to look for an
        // LF; and beneath the stream, which the runtime fills two bytes at
        // a time even when it is unbuffered.
        unsigned char byte = 0;
        (void)_setmode(input, _O_BINARY);
        (void)_read(input, &byte, 1);
        return;
    }
#else
    if (isatty(STDIN_FILENO) == 0) {
        (void)setvbuf(stdin, nullptr, _IONBF, 0);
        (void)getchar();
        return;
    }
#endif
    int c = 0;
    do
        c = getchar();
    while (c != '\n' && c != EOF);
}

} // namespace

int main()
{
    // A pipe whose reader went away and a file past its size limit are
    // failed writes like any other, reported below; they must not end the
    // process before the wait.
#ifdef SIGPIPE
    (void)signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
    (void)signal(SIGXFSZ, SIG_IGN);
#endif

    int_pair pair;
    pair.set(1, 2);
    const std::int32_t result = pair.sum();

    const bool written = write_sum(result);
    if (!written)
        perror("pair-sum: write error");
    // Even after a failure: a console window keeps the message on screen.
    wait_for_input();
    return written ? 0 : 1;
}
