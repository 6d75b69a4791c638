#!/usr/bin/env python3
"""Runs the program as a process and checks what its user sees: the bytes on
standard output, silence on standard error and the exit status.

    process_test.py --list
    process_test.py CASE [--emulated] COMMAND...

COMMAND starts the program; --emulated says that it runs through an emulator,
where the cases that need a native POSIX process (a terminal, signals) are
skipped. The status is 0 when the case passes, 1 when it fails, 77 when it is
skipped.
"""

import fcntl
import os
import select
import signal
import subprocess
import sys
import tempfile
import termios
import time

EXPECTED = b"Sum: 3"
SKIPPED = 77
# Generous, for a first start through an emulator.
START_SECONDS = 60
# How long a program that should be waiting is watched for not ending.
WAIT_SECONDS = 0.5

# Any number of arguments, of any content: none of them changes the run.
ARGUMENT_LISTS = [
    ["-h"],
    ["--help"],
    ["--version"],
    ["4", "5"],
    ["", " ", "%d%s%n", "-"],
    ["--", "a b", '"quoted"', "back\\slash", "*"],
    ["\u00fc\u00f1\u00ee\u00e7\u00f8d\u00e9"],
    [str(n) for n in range(2000)],
    ["x" * 30000],
]

CASES = {}


class Failure(Exception):
    pass


def case(posix_only=False):
    def register(function):
        CASES[function.__name__] = (function, posix_only)
        return function

    return register


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_run(result, expected=EXPECTED):
    """Checks a finished run: (status, stderr, stdout), where expected is
    None when stdout went elsewhere."""
    status, stderr, stdout = result
    if expected is not None:
        check(stdout == expected, f"stdout is {stdout!r}, not {expected!r}")
    check(stderr == b"", f"stderr is {stderr!r}")
    check(status == 0, f"exit status is {status}, not 0")


def closing(*fds):
    """A preexec_fn that closes the given descriptors in the child."""

    def close():
        for fd in fds:
            os.close(fd)

    return close


def run(command, stdout=subprocess.PIPE, **options):
    options.setdefault("stdin", subprocess.DEVNULL)
    result = subprocess.run(
        command, stdout=stdout, stderr=subprocess.PIPE, timeout=START_SECONDS, **options
    )
    return result.returncode, result.stderr, result.stdout


def read_up_to(fd, size, seconds):
    """Reads until size bytes have come, the writer is gone or time is up."""
    data = b""
    deadline = time.monotonic() + seconds
    while len(data) < size:
        ready, _, _ = select.select([fd], [], [], max(deadline - time.monotonic(), 0))
        if not ready:
            break
        try:
            chunk = os.read(fd, size - len(data))
        except OSError:  # a terminal whose other side has closed
            break
        if not chunk:
            break
        data += chunk
    return data


def nothing_more(fd):
    ready, _, _ = select.select([fd], [], [], 0)
    return not ready


def still_waiting(process):
    try:
        process.wait(WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        return True
    return False


@case()
def stdin_at_end(command):
    check_run(run(command))


@case()
def stdin_holds_characters(command):
    check_run(run(command, stdin=None, input=b"abc\n"))


@case()
def stdin_closed(command):
    check_run(run(command, preexec_fn=closing(0)))


@case()
def arguments_ignored(command):
    for arguments in ARGUMENT_LISTS:
        try:
            check_run(run(command + arguments))
        except Failure as failure:
            raise Failure(f"with arguments {arguments[:5]!r}: {failure}") from None


@case()
def stdout_to_file(command):
    with tempfile.TemporaryFile() as output:
        check_run(run(command, stdout=output), expected=None)
        output.seek(0)
        written = output.read()
    check(written == EXPECTED, f"the file holds {written!r}, not {EXPECTED!r}")


@case()
def stdout_closed(command):
    check_run(run(command, preexec_fn=closing(1)), expected=b"")


@case()
def stdout_full(command):
    with open("/dev/full", "wb") as full:
        check_run(run(command, stdout=full), expected=None)


@case()
def stdout_reader_gone(command):
    reader, writer = os.pipe()
    os.close(reader)
    try:
        check_run(run(command, stdout=writer), expected=None)
    finally:
        os.close(writer)


@case()
def pipe_shows_text_before_input(command):
    process = subprocess.Popen(
        command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE
    )
    try:
        shown = read_up_to(process.stdout.fileno(), len(EXPECTED), START_SECONDS)
        check(shown == EXPECTED, f"before any input stdout is {shown!r}")
        check(still_waiting(process), "it ended before any input")
        rest, stderr = process.communicate(b"\n", timeout=START_SECONDS)
    finally:
        process.kill()
        process.wait()
    check_run((process.returncode, stderr, rest), expected=b"")


def at_terminal(command, keys):
    """Runs the program at a new terminal and types keys once it waits;
    returns its exit status."""
    terminal, program_side = os.openpty()

    def take_terminal():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)
        signal.signal(signal.SIGINT, signal.SIG_DFL)

    process = subprocess.Popen(
        command,
        stdin=program_side,
        stdout=program_side,
        stderr=subprocess.PIPE,
        preexec_fn=take_terminal,
    )
    os.close(program_side)
    try:
        shown = read_up_to(terminal, len(EXPECTED), START_SECONDS)
        check(shown == EXPECTED, f"before any input the terminal shows {shown!r}")
        check(still_waiting(process), "it ended before any input")
        check(nothing_more(terminal), "more than the text was shown, such as a line end")
        os.write(terminal, keys)
        _, stderr = process.communicate(timeout=START_SECONDS)
    finally:
        process.kill()
        process.wait()
        os.close(terminal)
    check(stderr == b"", f"stderr is {stderr!r}")
    return process.returncode


@case(posix_only=True)
def terminal_enter(command):
    status = at_terminal(command, b"\r")
    check(status == 0, f"after Enter the exit status is {status}, not 0")


@case(posix_only=True)
def terminal_end_of_input(command):
    status = at_terminal(command, b"\x04")
    check(status == 0, f"after Ctrl-D the exit status is {status}, not 0")


@case(posix_only=True)
def terminal_interrupt(command):
    status = at_terminal(command, b"\x03")
    check(status == -signal.SIGINT, f"after Ctrl-C the status is {status}, not death by SIGINT")


def main(argv):
    if argv[1:] == ["--list"]:
        print("\n".join(CASES))
        return 0
    name, command = argv[1], argv[2:]
    emulated = command[:1] == ["--emulated"]
    if emulated:
        command = command[1:]
    function, posix_only = CASES[name]
    if posix_only and emulated:
        print(f"{name}: skipped, it needs a native POSIX process")
        return SKIPPED
    try:
        function(command)
    except subprocess.TimeoutExpired as timeout:
        print(f"{name}: it did not end within {timeout.timeout} seconds", file=sys.stderr)
        return 1
    except Failure as failure:
        print(f"{name}: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
