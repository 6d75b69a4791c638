#include <csignal>
#include <cstdio>

#include "int_pair.hpp"

int main()
{
#ifdef SIGPIPE
    // A reader that went away is one more failed write, which changes
    // nothing here; it must not end the process before the wait.
    (void)std::signal(SIGPIPE, SIG_IGN);
#endif

    int_pair pair;
    pair.set(1, 2);
    const std::int32_t result = pair.sum();

    (void)std::printf("Sum: %d", result);
    // The text has no line end, and whatever stdout is, it must be
    // there before the wait for input begins.
    (void)std::fflush(stdout);
    (void)std::getchar();
    return 0;
}
