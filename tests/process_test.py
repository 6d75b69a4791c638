"""Runs the program as a process and checks what its user sees: the bytes on
standard output, what standard error says and the exit status."""

import contextlib
import os
import re
import resource
import shlex
import select
import shutil
import signal
import subprocess
import tempfile
import termios
import time

import pexpect
import pexpect.popen_spawn
import pytest

EXPECTED = b"Sum: 3"
# Generous, for a first start through an emulator.
START_SECONDS = 20
# How soon a program that has its input must end.
END_SECONDS = 10

# One line that names the program and says why the write failed.
WRITE_ERROR = re.compile(rb"pair-sum: write error: [^\r\n]+\r?\n")

native_only = pytest.mark.not_windows("a Windows program under Wine has no POSIX signals")


def in_child(*steps):
    """A preexec_fn that takes each step in turn."""
    return lambda: [step() for step in steps]


def closing(fd):
    """A child step that closes one of its standard streams."""
    return lambda: os.close(fd)


def file_size_limit(size):
    """A child step that limits the size of the files it writes."""
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))


@contextlib.contextmanager
def stdout_as(kind):
    """Where stdout goes for a run: (its options, its steps in the child, and
    a function of the run that gives what it wrote, or None if unreadable)."""
    if kind == "pipe":
        yield {"stdout": subprocess.PIPE}, [], lambda result: result.stdout
    elif kind.startswith("file"):
        # file, or file_limit_N: a file past whose Nth byte writes fail
        with tempfile.TemporaryFile() as file:
            steps = [] if kind == "file" else [file_size_limit(int(kind.rpartition("_")[2]))]
            yield {"stdout": file}, steps, lambda result: os.pread(file.fileno(), 100, 0)
    elif kind == "closed":
        yield {"stdout": subprocess.PIPE}, [closing(1)], lambda result: result.stdout
    elif kind == "full":
        with open("/dev/full", "wb") as full:
            yield {"stdout": full}, [], None
    elif kind == "reader_gone":
        reader, writer = os.pipe()
        os.close(reader)
        try:
            yield {"stdout": writer}, [], None
        finally:
            os.close(writer)


def run(command, **options):
    options.setdefault("stdin", subprocess.DEVNULL)
    options.setdefault("stdout", subprocess.PIPE)
    return subprocess.run(command, stderr=subprocess.PIPE, timeout=START_SECONDS, **options)


def check_ends_silently(result, stdout=EXPECTED):
    assert result.stdout == stdout
    assert result.stderr == b""
    assert result.returncode == 0


def stream_case(stdin, stdout, shown, status, marks=()):
    return pytest.param(stdin, stdout, shown, status, marks=marks, id=f"stdin_{stdin}-stdout_{stdout}")


@pytest.mark.parametrize(
    "stdin, stdout, shown, status",
    [
        stream_case("at_end", "pipe", EXPECTED, 0),
        stream_case("closed", "pipe", EXPECTED, 0),
        stream_case("at_end", "file", EXPECTED, 0),
        stream_case("at_end", "file_limit_0", b"", 1, marks=native_only),
        stream_case("at_end", "file_limit_3", EXPECTED[:3], 1, marks=native_only),
        stream_case("closed", "file_limit_3", EXPECTED[:3], 1, marks=native_only),
        stream_case("at_end", "closed", b"", 1),
        stream_case("at_end", "full", None, 1),
        stream_case("at_end", "reader_gone", None, 1),
    ],
)
def test_streams(command, stdin, stdout, shown, status):
    with stdout_as(stdout) as (options, steps, written):
        if stdin == "closed":
            steps.append(closing(0))
        result = run(command, preexec_fn=in_child(*steps), **options)
        if status == 0:
            assert result.stderr == b""
        else:
            assert WRITE_ERROR.fullmatch(result.stderr), result.stderr
        assert result.returncode == status
        assert written is None or written(result) == shown


@pytest.fixture(scope="session")
def keeps_waiting(windows):
    """A check that fails if the program ends while it is watched: once for
    each kind of input, as every case that gives it input checks that it
    ends then. Under Wine, a program takes seconds to end."""
    seconds = 3 if windows else 0.5

    def check(child):
        assert child.expect([pexpect.TIMEOUT, pexpect.EOF], timeout=seconds) == 0, "it ended"

    check.seconds = seconds
    return check


@pytest.mark.parametrize("redirection", [">/dev/full", ">&-"], ids=["full", "closed"])
def test_failed_write_still_waits_for_input(command, keeps_waiting, redirection):
    # Standard output goes where writes fail; the spawner reads standard
    # error, which must say so before the wait.
    child = pexpect.popen_spawn.PopenSpawn(
        ["sh", "-c", f'exec "$@" {redirection}', "sh", *command]
    )
    try:
        child.expect(WRITE_ERROR, timeout=START_SECONDS)
        assert child.before == b""
        keeps_waiting(child)
        child.send(b"x")
        child.expect(pexpect.EOF, timeout=END_SECONDS)
        assert child.before == b""
        assert child.wait() == 1
    finally:
        child.proc.kill()


ARGUMENT_LISTS = {
    "help": ["-h"],
    "long_help": ["--help"],
    "version": ["--version"],
    "numbers": ["4", "5"],
    "empty_and_format": ["", " ", "%d%s%n", "-"],
    "quoting": ["--", "a b", '"quoted"', "back\\slash", "*"],
    "non_ascii": ["\u00fc\u00f1\u00ee\u00e7\u00f8d\u00e9"],
    "many": [str(n) for n in range(2000)],
    "long": ["x" * 30000],
}


@pytest.mark.parametrize("arguments", ARGUMENT_LISTS.values(), ids=ARGUMENT_LISTS.keys())
def test_arguments_are_ignored(command, arguments):
    check_ends_silently(run(command + arguments))


def without_escapes(data):
    """What a console host shows without the cursor sequences of its own
    that it wraps the program's text in."""
    return re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", data)


def shows_text(child, wine_console=False):
    """Checks that the program shows the text, with nothing before it.

    wine_console: the program runs at Wine's console, which wraps the text
    in cursor sequences of its own, and drops what was typed before it
    takes the terminal out of line mode to read keys itself."""
    child.expect_exact(EXPECTED, timeout=START_SECONDS)
    if not wine_console:
        assert child.before == b""
        return
    assert without_escapes(child.before) == b""
    deadline = time.monotonic() + START_SECONDS
    while termios.tcgetattr(child.child_fd)[3] & termios.ICANON:
        assert time.monotonic() < deadline, "Wine's console never took the terminal"
        time.sleep(0.01)


def ends_with(child, keys, exitstatus=0, signalstatus=None):
    child.send(keys)
    child.expect(pexpect.EOF, timeout=END_SECONDS)
    child.close()
    assert (child.exitstatus, child.signalstatus) == (exitstatus, signalstatus)


@pytest.mark.parametrize("data", [b"abc", b"\r"], ids=["letters", "carriage_return"])
def test_pipe_shows_text_before_input_and_one_character_ends_the_wait(command, data):
    # Standard input stays open after the input: a program that reads to
    # the line end, to the end of input, or past a CR for an LF would go on
    # waiting. Standard error shares the pipe, so a byte there is seen too.
    child = pexpect.popen_spawn.PopenSpawn(command)
    try:
        shows_text(child)
        child.send(data)
        child.expect(pexpect.EOF, timeout=END_SECONDS)
        assert child.before == b""
        assert child.wait() == 0
    finally:
        child.proc.kill()


@pytest.mark.parametrize("kind", ["pipe", "file"])
@pytest.mark.parametrize(
    "data", [b"abc\ndef\n", b"\r\nXY", b"\rXY"], ids=["lines", "crlf", "carriage_return"]
)
def test_next_reader_gets_all_but_one_character(command, kind, data):
    with contextlib.ExitStack() as stack:
        if kind == "pipe":
            reader, writer = os.pipe()
            stack.callback(os.close, reader)
            stack.callback(os.close, writer)  # open: no end of input
            os.write(writer, data)
            os.set_blocking(reader, False)
        else:
            file = stack.enter_context(tempfile.TemporaryFile())
            file.write(data)
            file.seek(0)
            reader = file.fileno()
        check_ends_silently(run(command, stdin=reader))
        try:
            rest = os.read(reader, 100)
        except BlockingIOError:
            rest = b""
    assert rest == data[1:]


def stty(mode):
    """The shell command that sets the terminal to the mode, given as stty's words."""
    return shlex.join(["stty", *mode.split()])


def at_terminal(command, mode="", nonblocking=False):
    """The program at a pseudo-terminal, set first with stty to the mode,
    and with its standard input non-blocking if asked."""
    script = f'{stty(mode)} && exec "$@"' if mode else 'exec "$@"'
    steps = [lambda: os.set_blocking(0, False)] if nonblocking else []
    # A shell starts the command from its words as they are: pexpect would
    # split a lone command at its spaces, and env would take a path with an
    # = in it for a variable. Ctrl-C must reach the program even where the
    # tests run with SIGINT ignored, as background jobs of a shell do.
    child = pexpect.spawn(
        "sh",
        ["-c", script, "sh", *command],
        timeout=START_SECONDS,
        preexec_fn=in_child(lambda: signal.signal(signal.SIGINT, signal.SIG_DFL), *steps),
    )
    # No fixed sleeps: keys go once the text is there, and a closed child
    # is waited for, not given a tenth of a second.
    child.delaybeforesend = None
    child.ptyproc.delayafterclose = 0
    return child


@pytest.fixture
def terminal(command, windows):
    child = at_terminal(command)
    try:
        shows_text(child, wine_console=windows)
        yield child
    finally:
        child.close(force=True)


def test_terminal_waits_for_the_end_of_the_line(terminal, keeps_waiting):
    terminal.send(b"abc")
    keeps_waiting(terminal)
    ends_with(terminal, b"\r")


def test_terminal_enter_ends_the_wait(terminal):
    ends_with(terminal, b"\r")


def test_terminal_end_of_input_ends_the_wait(terminal, windows):
    # The Windows console signals the end of input with Ctrl-Z and Enter.
    ends_with(terminal, b"\x1a\r" if windows else b"\x04")


@native_only
def test_terminal_interrupt_ends_the_program(terminal):
    ends_with(terminal, b"\x03", exitstatus=None, signalstatus=signal.SIGINT)


@contextlib.contextmanager
def program_then_shell(command, windows, mode=""):
    """The program at a terminal, in the mode if one is given, and after it
    a shell that reads the next line from the same terminal in its usual
    mode, as an interactive shell would."""
    script = '"$@"; status=$?; '
    if mode:
        script = f'saved=$(stty -g); {stty(mode)}; "$@"; status=$?; stty "$saved"; '
    script += 'echo "[status $status]"; IFS= read -r line; echo "[next: $line]"'
    child = at_terminal(["sh", "-c", script, "sh", *command])
    try:
        shows_text(child, wine_console=windows)
        yield child
    finally:
        child.close(force=True)


@pytest.fixture
def shell_after(command, windows):
    with program_then_shell(command, windows) as child:
        yield child


def next_line_read(child):
    child.expect(rb"\[next: (.*?)\]", timeout=END_SECONDS)
    return child.match.group(1)


@pytest.mark.parametrize("line", [b"abc", *(b"x" * n for n in (1024, 1500, 4000, 5000))], ids=len)
def test_terminal_takes_the_whole_line_however_long(shell_after, windows, line):
    # Nothing of the line typed for the program may be left for the shell,
    # which would run it.
    assert shell_after.send(line) == len(line)
    shell_after.send(b"\r")
    shell_after.expect_exact(b"[status 0]", timeout=END_SECONDS)
    if windows:
        return  # Wine's console outlives its program, reading what comes next.
    shell_after.send(b"xyz\r")
    assert next_line_read(shell_after) == b"xyz"


@pytest.mark.not_windows("Wine's console reads ahead of its program and drops the rest")
def test_terminal_leaves_a_line_typed_ahead(shell_after):
    shell_after.send(b"abc\rxyz\r")
    shell_after.expect_exact(b"[status 0]", timeout=END_SECONDS)
    assert next_line_read(shell_after) == b"xyz"


not_at_wine_console = pytest.mark.not_windows("Wine's console sets the terminal's mode itself")

KEYS = {"enter": b"\r", "letter": b"q", "arrow": b"\x1b[A", "ctrl_c": b"\x03", "ctrl_d": b"\x04"}
# With line editing off, any key ends the wait, with what it sends in one
# go; in line mode, a line ends at the terminal's own end-of-line
# characters as well as at a newline.
MODES_AND_KEYS = [
    *(
        pytest.param(mode, KEYS[key], id=f"{mode}-{key}")
        for mode in ["raw", "-icanon", "-icanon -icrnl", "-icanon min 0"]
        for key in ["enter", "letter", "arrow"]
    ),
    *(pytest.param("raw", KEYS[key], id=f"raw-{key}") for key in ["ctrl_c", "ctrl_d"]),
    *(pytest.param(f"{eol} ;", b"abc;", id=eol) for eol in ["eol", "eol2"]),
]


@not_at_wine_console
@pytest.mark.parametrize("mode, keys", MODES_AND_KEYS)
def test_terminal_mode_decides_what_ends_the_wait(command, windows, mode, keys):
    with program_then_shell(command, windows, mode) as child:
        child.send(keys)
        child.expect_exact(b"[status 0]", timeout=END_SECONDS)
        child.send(b"xyz\r")
        assert next_line_read(child) == b"xyz"


@pytest.mark.parametrize(
    "mode, key",
    [("", KEYS["enter"]), pytest.param("raw", KEYS["letter"], marks=not_at_wine_console)],
    ids=["line", "raw"],
)
def test_non_blocking_terminal_still_waits(command, keeps_waiting, windows, mode, key):
    child = at_terminal(command, mode, nonblocking=True)
    try:
        shows_text(child, wine_console=windows)
        keeps_waiting(child)
        ends_with(child, key)
    finally:
        child.close(force=True)


@pytest.fixture
def pipe():
    reader, writer = os.pipe()
    yield reader, writer
    os.close(reader)
    os.close(writer)


@pytest.fixture
def traced(command, windows, tmp_path):
    """The command, and a function that counts the calls of a kind, such as
    "read(0", that the program made: under strace natively, so that a
    program that spins rather than waits shows. Under Wine, the calls are
    Wine's: there it gives the command alone, and None."""
    if windows:
        return command, None
    if not shutil.which("strace"):
        pytest.skip("strace, which counts the program's calls, is not installed")
    log = tmp_path / "calls"

    def count(call):
        return len(re.findall(rf"^\d+ +{re.escape(call)}\b", log.read_text(), re.MULTILINE))

    return ["strace", "-f", "-qq", "-o", str(log), "-e", "trace=read,write", *command], count


# A program that waits for a descriptor makes a few calls on it; one that
# spins makes thousands while it is watched.
FEW_CALLS = 10


def keeps_running(process, keeps_waiting):
    """Fails if the process ends while it is watched."""
    with pytest.raises(subprocess.TimeoutExpired):
        process.wait(keeps_waiting.seconds)


def test_non_blocking_pipe_still_waits_for_input(traced, keeps_waiting, pipe):
    command, count = traced
    reader, writer = pipe
    os.set_blocking(reader, False)
    with subprocess.Popen(command, stdin=reader, stdout=subprocess.PIPE, stderr=subprocess.PIPE) as process:
        assert process.stdout.read(len(EXPECTED)) == EXPECTED
        keeps_running(process, keeps_waiting)
        os.write(writer, b"ab")
        assert process.wait(END_SECONDS) == 0
        assert process.stdout.read() == b"" and process.stderr.read() == b""
    assert os.read(reader, 100) == b"b"
    assert not os.get_blocking(reader), "the program left its input blocking"
    if count:
        assert count("read(0") <= FEW_CALLS, "it read again and again rather than wait"


def test_non_blocking_full_stdout_waits_for_room(traced, keeps_waiting, pipe):
    command, count = traced
    reader, writer = pipe
    os.set_blocking(writer, False)
    filler = 0
    with contextlib.suppress(BlockingIOError):
        while True:
            filler += os.write(writer, b"f" * 65536)
    with subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=writer, stderr=subprocess.PIPE) as process:
        keeps_running(process, keeps_waiting)
        data = b""
        while len(data) < filler + len(EXPECTED):
            assert select.select([reader], [], [], END_SECONDS)[0], data[filler:]
            data += os.read(reader, 65536)
        assert process.wait(END_SECONDS) == 0
        assert process.stderr.read() == b""
    assert data == b"f" * filler + EXPECTED
    assert not os.get_blocking(writer), "the program left its output blocking"
    if count:
        assert count("write(1") <= FEW_CALLS, "it wrote again and again rather than wait"


@native_only
@pytest.mark.skipif(not shutil.which("strace"), reason="strace, which fails the write, is not installed")
def test_write_that_finds_no_room_is_tried_again(command):
    # Another writer to the same pipe can take the room between the wait
    # for it and the write.
    inject = ["strace", "-f", "-qq", "-o", os.devnull, "-e", "inject=write:error=EAGAIN:when=1"]
    check_ends_silently(run(inject + command))


@native_only
def test_signals_that_do_not_end_the_program_leave_it_waiting(command, keeps_waiting):
    child = pexpect.popen_spawn.PopenSpawn(command)
    try:
        shows_text(child)
        # A SIGCONT discards a stop that has not taken effect yet.
        child.kill(signal.SIGSTOP)
        assert os.WIFSTOPPED(os.waitpid(child.proc.pid, os.WUNTRACED)[1])
        for number in [signal.SIGCONT, signal.SIGWINCH, signal.SIGCHLD]:
            child.kill(number)
        keeps_waiting(child)
        child.send(b"x")
        child.expect(pexpect.EOF, timeout=END_SECONDS)
        assert child.wait() == 0
    finally:
        child.proc.kill()
