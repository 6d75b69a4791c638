import os
import shutil
import subprocess

import pytest


def pytest_addoption(parser):
    parser.addoption("--program", help="the executable under test")
    parser.addoption(
        "--emulator",
        action="append",
        default=[],
        help="a word of the command that runs the program, such as wine (repeatable)",
    )
    parser.addoption("--nm", help="the nm that lists the program's symbols")
    parser.addoption("--console-screen", help="the helper that reads a console window's text")
    parser.addoption("--pictures", help="the folder for the pictures of the console windows")


def pytest_configure(config):
    if not config.getoption("program") and not config.getoption("help"):
        raise pytest.UsageError("--program must name the executable under test")
    config.addinivalue_line("markers", "not_windows(reason): skip the case for a Windows program")


def pytest_runtest_setup(item):
    marker = item.get_closest_marker("not_windows")
    if marker and is_windows_program(item.config):
        pytest.skip(marker.args[0])


def is_windows_program(config):
    """Whether the program is a Windows one, which runs under Wine."""
    with open(config.getoption("program"), "rb") as stream:
        return stream.read(2) == b"MZ"


@pytest.fixture(scope="session")
def program(request):
    return request.config.getoption("program")


@pytest.fixture(scope="session")
def windows(request, program):
    return is_windows_program(request.config)


@pytest.fixture(scope="session")
def command(request, program):
    """The words that start the program."""
    return [*request.config.getoption("emulator"), program]


@pytest.fixture(scope="session")
def x_screen(windows):
    """Under Wine, the X screen of the console windows: DISPLAY's, or where
    that names none, one of Xvfb's. Wine's desktop takes the screen that
    its first program finds, so it is there before the first."""
    if not windows or os.environ.get("DISPLAY") or not shutil.which("Xvfb"):
        yield
        return
    reader, writer = os.pipe()
    command = ["Xvfb", "-displayfd", str(writer), "-screen", "0", "800x600x24", "-nolisten", "tcp"]
    with subprocess.Popen(command, pass_fds=[writer], stderr=subprocess.DEVNULL) as xvfb:
        os.close(writer)
        with os.fdopen(reader) as display:
            os.environ["DISPLAY"] = ":" + display.readline().strip()
        yield
        xvfb.terminate()


@pytest.fixture(scope="session", autouse=True)
def wine_server(request, windows, x_screen):
    """Under Wine, a program of the tests' own keeps Wine's server up from
    case to case. Without one, each case starts a server, which holds the
    case's pipes open until it shuts down, seconds after the program ended."""
    emulator = request.config.getoption("emulator")
    if not (windows and emulator):
        yield
        return
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    with subprocess.Popen([*emulator, "cmd"], stdin=subprocess.PIPE, **quiet) as keeper:
        # Once this has run, the server is up, with no pipe of a case.
        subprocess.run([*emulator, "cmd", "/c", "exit"], stdin=subprocess.DEVNULL, check=True, **quiet)
        yield
        keeper.stdin.close()
