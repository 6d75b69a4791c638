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
RT_VERSION = 16
RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1


def objdump(tool, executable, *options, check=True):
    return subprocess.run(
        [tool, *options, executable], check=check, capture_output=True, text=True
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


def section_contents(dump):
    """The start address and the bytes of the section that objdump -s dumped."""
    rows = re.findall(r"^ ([0-9a-f]+) ([0-9a-f ]{35})  ", dump, re.MULTILINE)
    data = b"".join(bytes.fromhex(row.replace(" ", "")) for _, row in rows)
    return (int(rows[0][0], 16) if rows else 0), data


def resource(headers, resources, resource_type, resource_id):
    """The bytes of the resource of that type and ID, in its first language,
    or None where the resource tree has none."""
    leaf = re.search(
        rf"Entry: ID: {resource_type:#08x}, .*\n.*Name Table.*\n"
        rf".*Entry: ID: {resource_id:#08x}, .*\n.*Language Table.*\n"
        r".*Entry: ID: .*\n\s*\S+\s+Leaf: Addr: (0x[0-9a-f]+), Size: (0x[0-9a-f]+)",
        headers,
    )
    if not leaf:
        return None
    image_base = int(re.search(r"^ImageBase\s+([0-9a-f]+)$", headers, re.MULTILINE).group(1), 16)
    start, data = resources
    offset = image_base + int(leaf.group(1), 16) - start
    return data[offset : offset + int(leaf.group(2), 16)]


def pe_failures(tool, executable, headers):
    if not re.search(r"^architecture: i386,", objdump(tool, executable, "-f"), re.MULTILINE):
        yield "it is not for 32-bit x86"
    if not re.search(r"^Subsystem\s+00000003\s+\(Windows CUI\)$", headers, re.MULTILINE):
        yield "it is not a console program"
    version = re.search(r"^MajorSubsystemVersion\s+(\d+)$", headers, re.MULTILINE)
    if not version or int(version.group(1)) < 6:
        yield "its subsystem version is older than the UCRT's 6.0"
    for flag in ("DYNAMIC_BASE", "NX_COMPAT"):
        if not re.search(rf"^\s+{flag}$", headers, re.MULTILINE):
            yield f"it lacks {flag}"

    dlls = re.findall(r"^\s+DLL Name: (\S+)$", headers, re.MULTILINE)
    others = [dll for dll in dlls if dll != "KERNEL32.dll" and not dll.startswith("api-ms-win-crt-")]
    if others or "KERNEL32.dll" not in dlls:
        yield f"it imports {dlls}, not KERNEL32.dll and the UCRT alone"
    stdio = re.search(r"DLL Name: api-ms-win-crt-stdio-l1-1-0\.dll\n(.*?)\n\n", headers, re.DOTALL)
    stdio_names = re.findall(r"^\s+[0-9a-f]+\s+\d+\s+(\S+)$", stdio.group(1) if stdio else "", re.MULTILINE)
    for name in ("__stdio_common_vfprintf", "__acrt_iob_func", "getchar"):
        if name not in stdio_names:
            yield f"it does not import {name} from the UCRT's stdio"
    symbols = objdump(tool, executable, "-t")
    if not re.search(r" _main$", symbols, re.MULTILINE):
        yield "it has no symbol table to check printf by"
    elif "mingw_vfprintf" in symbols:
        yield "printf goes to MinGW's own formatter, not the UCRT's"

    resources = section_contents(objdump(tool, executable, "-s", "-j", ".rsrc", check=False))
    manifest = resource(headers, resources, RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)
    if manifest is None:
        yield "it has no application manifest"
    elif not re.search(rb'<requestedExecutionLevel\s+level="asInvoker"\s+uiAccess="false"\s*/>', manifest):
        yield f"its manifest does not ask to run as the invoker: {manifest!r}"
    version_info = resource(headers, resources, RT_VERSION, 1)
    if version_info is None or "pair-sum".encode("utf-16-le") not in version_info:
        yield "it has no version resource with the program's name"


def main(tool, executable):
    headers = objdump(tool, executable, "-p")
    file_format = re.search(r"file format (\S+)", headers).group(1)
    if file_format.startswith("elf"):
        failures = list(elf_failures(headers))
    elif file_format.startswith("pe"):
        failures = list(pe_failures(tool, executable, headers))
    else:
        failures = [f"no checks for the file format {file_format}"]
    for failure in failures:
        print(f"{executable}: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
