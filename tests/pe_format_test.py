"""What the Windows executable promises the platform."""

import re
import subprocess

import pefile
import pytest

RT_VERSION = 16
RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1


@pytest.fixture(scope="module")
def pe(program):
    return pefile.PE(program)


@pytest.fixture(scope="module")
def imports(pe):
    return {
        entry.dll.decode(): {symbol.name.decode() for symbol in entry.imports if symbol.name}
        for entry in pe.DIRECTORY_ENTRY_IMPORT
    }


def resource(pe, resource_type, resource_id):
    """The bytes of the resource of that type and ID, in its first language."""
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != resource_type:
            continue
        for entry in kind.directory.entries:
            if entry.id == resource_id:
                data = entry.directory.entries[0].data.struct
                return pe.get_data(data.OffsetToData, data.Size)
    return None


def test_is_a_32_bit_x86_console_program(pe):
    assert pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
    assert pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CUI"]


def test_runs_where_the_ucrt_can(pe):
    assert pe.OPTIONAL_HEADER.MajorSubsystemVersion >= 6


@pytest.mark.parametrize("flag", ["DYNAMIC_BASE", "NX_COMPAT"])
def test_has_dll_characteristic(pe, flag):
    assert pe.OPTIONAL_HEADER.DllCharacteristics & pefile.DLL_CHARACTERISTICS[
        f"IMAGE_DLLCHARACTERISTICS_{flag}"
    ]


def test_imports_kernel32_and_the_ucrt_alone(imports):
    assert "KERNEL32.dll" in imports
    assert all(dll == "KERNEL32.dll" or dll.startswith("api-ms-win-crt-") for dll in imports)


@pytest.mark.parametrize(
    "dll, name",
    [
        *(
            ("stdio", name)
            for name in ["__stdio_common_vfprintf", "__acrt_iob_func", "fflush", "ferror"]
            + ["getchar", "_fileno", "_setmode", "_read"]
        ),
        ("runtime", "perror"),
    ],
)
def test_reads_and_writes_through_the_ucrt(imports, dll, name):
    assert name in imports.get(f"api-ms-win-crt-{dll}-l1-1-0.dll", set())


def test_printf_is_the_ucrt_formatter(request, program):
    nm = request.config.getoption("nm")
    if not nm:
        pytest.skip("no --nm to list the program's symbols with")
    names = subprocess.run([nm, program], capture_output=True, text=True, check=True).stdout
    assert re.search(r" T _main$", names, re.MULTILINE), "no symbol table to check printf by"
    assert "mingw_vfprintf" not in names


def test_manifest_asks_to_run_as_the_invoker(pe):
    manifest = resource(pe, RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)
    assert manifest is not None
    assert re.search(rb'<requestedExecutionLevel\s+level="asInvoker"\s+uiAccess="false"\s*/>', manifest)


def test_version_resource_names_the_program(pe):
    assert resource(pe, RT_VERSION, 1) is not None
    strings = {
        key: value
        for info in pe.FileInfo[0]
        for table in getattr(info, "StringTable", [])
        for key, value in table.entries.items()
    }
    assert strings[b"ProductName"] == b"pair-sum"
    assert strings[b"OriginalFilename"] == b"pair-sum.exe"
    assert strings[b"CompanyName"] == b"The pair-sum authors"
    assert strings[b"LegalCopyright"].endswith(b" The pair-sum authors")
    assert 0 < len(strings[b"FileDescription"]) <= 40


def test_header_has_no_date(pe):
    # A release is the same bit for bit whenever it is linked.
    assert pe.FILE_HEADER.TimeDateStamp == 0
