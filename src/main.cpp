#include "int_pair.hpp"

#include <signal.h>
#include <stdio.h>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#else
#include <errno.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
// Whether a failed call is worth another try: a descriptor that the parent
// left non-blocking is not ready yet. No call fails for a signal, as the
// program catches none: the system restarts a call that one interrupts.
bool try_again(int error) noexcept { return error == EAGAIN || error == EWOULDBLOCK; }

// Waits until the descriptor is ready for the events, or is at its end or
// in error, which the call that follows then reports.
void await(int fd, short events) noexcept
{
    pollfd wanted{fd, events, 0};
    (void)poll(&wanted, 1, -1);
}
#endif

// Whether the whole text reached standard output. It has no line end, and
// whatever stdout is, the text must be there before the wait for input.
bool write_sum(int32_t sum) noexcept
{
#ifdef _WIN32
    return printf("Sum: %d", sum) >= 0 && fflush(stdout) == 0 && ferror(stdout) == 0;
#else
    for (;;) {
        // Once stdout can take data, six bytes go in one write.
        await(STDOUT_FILENO, POLLOUT);
        errno = 0;
        if (printf("Sum: %d", sum) >= 0 && fflush(stdout) == 0 && ferror(stdout) == 0)
            return true;
        if (!try_again(errno))
            return false;
        // Another writer to the same pipe may have taken the room first.
        // The C library drops what it could not write: the text goes again.
        clearerr(stdout);
    }
#endif
}

#ifdef _WIN32
// Takes one character of input. From a pipe, a file or a device such as
// NUL that is exactly one byte, and the rest stays for whoever reads next.
// A console with ENABLE_LINE_INPUT hands over whole lines, and none of the
// user's line may be left for the shell to run, so there the wait takes the
// line to its end, however long it is. Without it, the console hands over
// keys, Enter as a lone CR, and the first key ends the wait, with whatever
// it sent in one go, such as an arrow key's sequence under
// ENABLE_VIRTUAL_TERMINAL_INPUT.
void wait_for_input() noexcept
{
    DWORD mode = 0;
    const bool console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    if (console && (mode & ENABLE_LINE_INPUT) != 0) {
        int c = 0;
        do
            c = getchar();
        while (c != '\n' && c != EOF);
        return;
    }
    // In binary mode, as text mode holds a CR back to look for an LF; and
    // beneath the stream, which the runtime fills two bytes at a time even
    // when it is unbuffered.
    const int input = _fileno(stdin);
    unsigned char keys[64];
    (void)_setmode(input, _O_BINARY);
    (void)_read(input, keys, console ? static_cast<unsigned>(sizeof keys) : 1U);
}
#else
// The next character of input, or EOF at its end or on a read error. A
// descriptor left non-blocking is waited on as a blocking one would be.
int next_char() noexcept
{
    for (;;) {
        errno = 0;
        const int c = getchar();
        if (c != EOF || ferror(stdin) == 0 || !try_again(errno))
            return c;
        clearerr(stdin);
        await(STDIN_FILENO, POLLIN);
    }
}

// Whether c ends a line at a terminal in line mode.
bool ends_line(int c, const termios& mode) noexcept
{
    const auto ends = [c](cc_t end) { return end != _POSIX_VDISABLE && c == end; };
    return c == '\n' || ends(mode.c_cc[VEOL]) || ends(mode.c_cc[VEOL2]);
}

// Takes one character of input. From a pipe or a file that is exactly one
// byte, and the rest stays for whoever reads next. A terminal in line mode
// hands over whole lines, and none of the user's line may be left for the
// shell to run, so there the wait takes the line to its end, however long
// it is. With line editing off, it hands over keys, and the first one ends
// the wait, with whatever it sent in one go, such as an arrow key's escape
// sequence.
void wait_for_input() noexcept
{
    termios mode{};
    if (tcgetattr(STDIN_FILENO, &mode) != 0) {
        (void)setvbuf(stdin, nullptr, _IONBF, 0);
        (void)next_char();
    } else if ((mode.c_lflag & ICANON) == 0) {
        // A terminal may be set to give back nothing at once rather than
        // wait for a key.
        await(STDIN_FILENO, POLLIN);
        (void)next_char();
    } else {
        int c = 0;
        do
            c = next_char();
        while (c != EOF && !ends_line(c, mode));
    }
}
#endif

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
    const int32_t result = pair.sum();

    const bool written = write_sum(result);
    if (!written)
        perror("pair-sum: write error");
    // Even after a failure: a console window keeps the message on screen.
    wait_for_input();
    return written ? 0 : 1;
}
