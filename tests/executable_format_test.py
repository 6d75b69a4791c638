#!/usr/bin/env python3
"""Checks what the built executable promises the platform, as objdump reads it.

    executable_format_test.py OBJDUMP EXECUTABLE
"""

import re
import subprocess
import sys

DF_BIND_NOW = 0x8
DF_1_NOW = 0x1
DF_1_PIE = 0x08000000


def objdump(tool, executable, *options):
    return subprocess.run(
        [tool, *options, executable], check=True, capture_output=True, text=True
    ).stdout


def dynamic_value(headers, tag):
    found = re.search(rf"^\s+{tag}\s+(0x[0-9a-f]+)$", headers, re.MULTILINE)
    return int(found.group(1), 16) if found else 0


def elf_failures(headers):
    needed = re.findall(r"^\s+NEEDED\s+(\S+)$", headers, re.MULTILINE)
    if len(needed) != 1 or not needed[0].startswith("libc.so"):
        yield f"it loads {needed}, not the C library alone"
    flags, flags_1 = dynamic_value(headers, "FLAGS"), dynamic_value(headers, "FLAGS_1")
    if not flags_1 & DF_1_PIE:
        yield "it is not a position-independent executable"
    if not (flags & DF_BIND_NOW or flags_1 & DF_1_NOW):
        yield "it does not bind every symbol at start-up"
    if not re.search(r"^\s+RELRO ", headers, re.MULTILINE):
        yield "it has no read-only segment for relocations"
    stack = re.search(r"^\s+STACK .*\n.*flags (\S+)$", headers, re.MULTILINE)
    if not stack or "x" in stack.group(1):
        yield "its stack is executable"


def main(tool, executable):
    headers = objdump(tool, executable, "-p")
    file_format = re.search(r"file format (\S+)", headers).group(1)
    if file_format.startswith("elf"):
        failures = list(elf_failures(headers))
    else:
        failures = [f"no checks for the file format {file_format}"]
    for failure in failures:
        print(f"{executable}: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
