"""What the Linux executable promises the platform."""

import pytest
from elftools.elf.constants import P_FLAGS
from elftools.elf.elffile import ELFFile

DF_BIND_NOW = 0x8
DF_1_NOW = 0x1
DF_1_PIE = 0x08000000


@pytest.fixture(scope="module")
def elf(program):
    with open(program, "rb") as stream:
        yield ELFFile(stream)


@pytest.fixture(scope="module")
def tags(elf):
    return list(elf.get_section_by_name(".dynamic").iter_tags())


def value(tags, name):
    return next((tag.entry.d_val for tag in tags if tag.entry.d_tag == name), 0)


def segment(elf, kind):
    return next((s for s in elf.iter_segments() if s["p_type"] == kind), None)


def test_loads_the_c_library_alone(tags):
    needed = [tag.needed for tag in tags if tag.entry.d_tag == "DT_NEEDED"]
    assert len(needed) == 1 and needed[0].startswith("libc.so."), needed


def test_is_position_independent(elf, tags):
    assert elf["e_type"] == "ET_DYN" and value(tags, "DT_FLAGS_1") & DF_1_PIE


def test_binds_every_symbol_at_start(tags):
    assert value(tags, "DT_FLAGS") & DF_BIND_NOW or value(tags, "DT_FLAGS_1") & DF_1_NOW


def test_has_read_only_relocations(elf):
    assert segment(elf, "PT_GNU_RELRO") is not None


def test_stack_is_not_executable(elf):
    stack = segment(elf, "PT_GNU_STACK")
    assert stack is not None and not stack["p_flags"] & P_FLAGS.PF_X


def test_writes_through_the_checked_printf(elf):
    symbols = {symbol.name for symbol in elf.get_section_by_name(".dynsym").iter_symbols()}
    assert "__printf_chk" in symbols and "printf" not in symbols
