"""Runs the Windows program in console windows, as its users meet it:
double-clicked, which opens a window for it, and typed at cmd.exe's prompt
in a window. Each window's text is read back from the console itself, keys
are typed on an X screen, and a picture of the screen is kept at each key
moment for people to look at.

Ctrl+C at cmd.exe's prompt while the program waits is a case for Windows
alone: Windows' own cmd.exe survives a Ctrl+C meant for its child, while
Wine 8's ends with it and closes the window."""

import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import time

import pytest

EXPECTED = "Sum: 3"
# A console window takes seconds to open under Wine in a virtual machine.
START_SECONDS = 60
END_SECONDS = 20
# How long the double-clicked program is watched for going on waiting.
WATCH_SECONDS = 3
# Ctrl+C ends a console program with STATUS_CONTROL_C_EXIT, 0xC000013A,
# which Wine's start gives as its low byte, or with 0 where the program's
# read comes back, and main returns, before the handler exits: Wine 8's 0.
CTRL_C_STATUSES = {0, 0xC000013A & 0xFF}

TOOLS = ["xdotool", "xwd", "xwdtopnm", "pnmtopng"]


@pytest.fixture(scope="module", autouse=True)
def window_tools(request, windows):
    if not windows:
        pytest.skip("console windows are a Windows program's")
    if not request.config.getoption("emulator"):
        pytest.skip("no Wine runs the program here")
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing or not os.environ.get("DISPLAY"):
        pytest.skip(f"an X screen and {', '.join(TOOLS)} are needed; missing: {missing or 'DISPLAY'}")
    if not request.config.getoption("console_screen"):
        pytest.skip("--console-screen names no helper to read the windows with")


@pytest.fixture(scope="module")
def wine(request):
    return request.config.getoption("emulator")


def windows_path(wine, path):
    result = subprocess.run([*wine, "winepath", "-w", str(path)], capture_output=True, check=True)
    return result.stdout.decode().strip()


class Window:
    def __init__(self, title, rows):
        self.title = title
        self.rows = rows

    def __repr__(self):
        return "\n".join([f"[{self.title}]", *self.rows])


@pytest.fixture(scope="module")
def read_window(request, wine):
    """What the console window of the program of that name shows, or None
    while it has none."""
    helper = os.path.abspath(request.config.getoption("console_screen"))

    def read(name):
        result = subprocess.run([*wine, helper, name], capture_output=True, timeout=END_SECONDS)
        if result.returncode != 0:
            return None
        title, *rows = result.stdout.decode().split("\n")
        while rows and not rows[-1]:
            rows.pop()
        return Window(title, rows)

    return read


def until(read, holds, seconds=START_SECONDS):
    """Reads until what is read holds, and gives it back. Each read takes a
    Wine start, which paces the loop."""
    deadline = time.monotonic() + seconds
    while True:
        value = read()
        if holds(value):
            return value
        assert time.monotonic() < deadline, f"not in {seconds} s; last read:\n{value}"


@pytest.fixture
def picture(request, tmp_path_factory):
    """Keeps a picture of the whole screen, named after the case and the
    moment, in the --pictures folder, else in pytest's temporary folder."""
    folder = request.config.getoption("pictures") or str(tmp_path_factory.getbasetemp() / "pictures")
    os.makedirs(folder, exist_ok=True)
    case = re.sub(r"[^A-Za-z0-9_-]+", "-", request.node.name.removeprefix("test_")).strip("-")

    def take(moment):
        path = os.path.join(folder, f"{case}-{moment}.png")
        with open(path, "wb") as png:
            subprocess.run(
                "xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng", shell=True, stdout=png, check=True
            )
        with open(path, "rb") as png:
            assert png.read(8) == b"\x89PNG\r\n\x1a\n", path
        print(f"picture: {path}")

    return take


def x_window(title):
    """The X window of the console window with that title."""
    result = subprocess.run(
        ["xdotool", "search", "--name", f"^{re.escape(title)}$"], capture_output=True, text=True
    )
    return result.stdout.split()


def send(title, *keys):
    """Types into the window: text, or keys such as Return, as "key:NAME"."""
    (window,) = x_window(title)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    for key in keys:
        if key.startswith("key:"):
            subprocess.run(["xdotool", "key", key.removeprefix("key:")], check=True)
        else:
            subprocess.run(["xdotool", "type", "--delay", "0", key], check=True)


@pytest.mark.parametrize(
    "keys, statuses, watched",
    [
        (["key:Return"], {0}, True),
        (["abc", "key:Return"], {0}, False),
        (["key:ctrl+c"], CTRL_C_STATUSES, False),
    ],
    ids=["enter", "letters_and_enter", "ctrl_c"],
)
def test_double_clicked(wine, program, read_window, picture, keys, statuses, watched):
    # Explorer starts a program with no console of its own: Windows opens
    # a window for it, which is the program's alone.
    path = os.path.abspath(program)
    name = os.path.basename(program)
    with subprocess.Popen([*wine, "start", "/wait", "/unix", path], stdin=subprocess.DEVNULL) as started:
        try:
            window = until(lambda: read_window(name), lambda window: window is not None)
            assert window.title == windows_path(wine, path)
            assert window.rows == [EXPECTED]
            picture("shown")
            if watched:
                with pytest.raises(subprocess.TimeoutExpired):
                    started.wait(WATCH_SECONDS)
                assert read_window(name).rows == [EXPECTED]
            send(window.title, *keys)
            ended = started.wait(END_SECONDS)
            print(f"keys {keys}: status {ended}")
            assert ended in statuses
        finally:
            started.kill()
    assert read_window(name) is None
    assert x_window(window.title) == [], "the window is still open"
    picture("ended")


# A parent that reads keys turns its console's ENABLE_LINE_INPUT (0x2) and
# ENABLE_ECHO_INPUT (0x4) off; the launcher then reads the next input
# itself, which must be what was typed for it alone.
MODE_CASES = {
    "line_input_off-letter": (0x6, ["q"], ["z"]),
    "line_input_off-enter": (0x6, ["key:Return"], ["z"]),
    "echo_off-line": (0x4, ["abc", "key:Return"], ["z", "key:Return"]),
}


@pytest.mark.parametrize("off, keys, next_keys", MODE_CASES.values(), ids=MODE_CASES.keys())
def test_console_mode(request, wine, program, read_window, picture, off, keys, next_keys):
    helpers = os.path.dirname(os.path.abspath(request.config.getoption("console_screen")))
    launcher = os.path.join(helpers, "console_mode.exe")
    path = windows_path(wine, os.path.abspath(program))
    name = os.path.basename(program)
    rows = [EXPECTED, "[status 0]"]

    def launcher_shows(count):
        window = read_window("console_mode.exe")
        return window if window is not None and len(window.rows) >= count else None

    with subprocess.Popen(
        [*wine, "start", "/wait", "/unix", launcher, str(off), path], stdin=subprocess.DEVNULL
    ) as started:
        try:
            window = until(lambda: launcher_shows(1), bool)
            assert window.rows == [EXPECTED]
            picture("shown")
            send(window.title, *keys)
            assert until(lambda: launcher_shows(2), bool, END_SECONDS).rows == rows
            send(window.title, *next_keys)
            assert until(lambda: launcher_shows(3), bool, END_SECONDS).rows == rows + ["[next: z]"]
            picture("ended")
            send(window.title, *next_keys)
            assert started.wait(END_SECONDS) == 0
        finally:
            if started.poll() is None:
                # Those of a failed case would take the next case's keys.
                subprocess.run([*wine, "taskkill", "/f", "/im", "console_mode.exe", "/im", name], capture_output=True)
            started.kill()
    assert x_window(window.title) == [], "the window is still open"


CMD_CASES = {
    # The command typed at the prompt, the line then typed for the program
    # (None: none), and what the window shows from the command to the next
    # prompt, less its line ends.
    "short_line": ("pair-sum.exe", "echo LEAKED", EXPECTED + "echo LEAKED"),
    "long_line": ("pair-sum.exe", "x" * 5000, EXPECTED + "x" * 5000),
    "output_to_file": ("pair-sum.exe > out.txt", "abc", "abc"),
    "piped_input": ("echo x| pair-sum.exe", None, EXPECTED),
}


@pytest.fixture
def folder(program):
    """A folder with the program, whose path is short enough for the
    prompt and a command to fit in a row of the window."""
    with tempfile.TemporaryDirectory(prefix="cmd") as path:
        shutil.copy(program, os.path.join(path, "pair-sum.exe"))
        yield pathlib.Path(path)


def file_bytes(path):
    return path.read_bytes() if path.exists() else None


@pytest.mark.parametrize("command, line, shown", CMD_CASES.values(), ids=CMD_CASES.keys())
def test_at_the_cmd_prompt(wine, read_window, picture, folder, command, line, shown):
    prompt = windows_path(wine, folder) + ">"

    def cmd_window():
        return read_window("cmd.exe")

    def at_prompt(window):
        return window is not None and window.rows[-1] == prompt

    def enter(text):
        send(title, text, "key:Return")
        return until(cmd_window, lambda window: prompt + text in window.rows)

    with subprocess.Popen([*wine, "start", "/wait", "cmd.exe"], cwd=folder, stdin=subprocess.DEVNULL) as cmd:
        try:
            title = until(cmd_window, at_prompt).title
            window = enter(command)
            if line is not None:
                if ">" in command:
                    # The text goes to the file, at once, and the window
                    # shows nothing.
                    until(lambda: file_bytes(folder / "out.txt"), lambda data: data == b"Sum: 3")
                    window = cmd_window()
                else:
                    window = until(
                        cmd_window,
                        lambda window: window.rows[-1].startswith(EXPECTED) or at_prompt(window),
                    )
                assert not at_prompt(window), f"it did not wait for the line:\n{window}"
                picture("shown")
                send(title, line, "key:Return")
            until(cmd_window, at_prompt, END_SECONDS)
            window = enter("echo status %ERRORLEVEL%")
            rows = window.rows
            first = len(rows) - 1 - rows[::-1].index(prompt + command)
            last = rows.index(prompt + "echo status %ERRORLEVEL%", first)
            assert "".join(rows[first + 1 : last]) == shown
            window = until(cmd_window, lambda window: at_prompt(window) and len(window.rows) > last + 1)
            assert window.rows[last + 1 :] == ["status 0", "", prompt]
            picture("ended")
            send(title, "exit", "key:Return")
            assert cmd.wait(END_SECONDS) == 0
        finally:
            cmd.kill()
    if ">" in command:
        assert file_bytes(folder / "out.txt") == b"Sum: 3"
