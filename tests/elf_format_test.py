"""What the Linux executable promises the platform in every build
configuration. The hardening of what ships is the Debian packages' to
show."""

import pytest
from elftools.elf.elffile import ELFFile


@pytest.fixture(scope="module")
def elf(program):
    with open(program, "rb") as stream:
        yield ELFFile(stream)


def test_loads_the_c_library_alone(elf):
    tags = elf.get_section_by_name(".dynamic").iter_tags()
    needed = [tag.needed for tag in tags if tag.entry.d_tag == "DT_NEEDED"]
    # The C library's own loader comes with it where the stack protector's
    # guard lives there, as on arm64.
    others = [name for name in needed if not name.startswith(("libc.so.", "ld-linux", "ld64.so", "ld.so"))]
    assert any(name.startswith("libc.so.") for name in needed) and not others, needed


def test_writes_through_the_c_library_printf(elf):
    symbols = {symbol.name for symbol in elf.get_section_by_name(".dynsym").iter_symbols()}
    assert symbols & {"printf", "__printf_chk"}, sorted(symbols)

