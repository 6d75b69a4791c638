// Prints what the console window of a running program shows: its title on
// the first line, then each line of its screen buffer, without the spaces that
// pad it, in UTF-8.
//
//     console_screen.exe NAME
//
// NAME is the program's file name, such as cmd.exe. Of the processes of that
// name, the first whose console has a window is read. Exits with 1 when
// there is none yet.
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

namespace {

constexpr SHORT max_width = 1024;

void write_line(HANDLE out, const wchar_t* text, int length)
{
    char line[4 * max_width + 1];
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text, length, line, sizeof line - 1, nullptr, nullptr);
    line[size] = '\n';
    DWORD written = 0;
    (void)WriteFile(out, line, static_cast<DWORD>(size + 1), &written, nullptr);
}

// Writes the title and the screen of the console this process is attached to.
bool write_screen(HANDLE out)
{
    wchar_t text[max_width];
    const DWORD title_length = GetConsoleTitleW(text, max_width);
    const HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE || GetConsoleScreenBufferInfo(screen, &info) == 0)
        return false;
    write_line(out, text, static_cast<int>(title_length));
    const SHORT width = info.dwSize.X < max_width ? info.dwSize.X : max_width;
    for (SHORT y = 0; y < info.dwSize.Y; ++y) {
        DWORD read = 0;
        (void)ReadConsoleOutputCharacterW(screen, text, static_cast<DWORD>(width), COORD{0, y},
                                          &read);
        while (read > 0 && text[read - 1] == L' ')
            --read;
        write_line(out, text, static_cast<int>(read));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        (void)fputs("usage: console_screen NAME\n", stderr);
        return 2;
    }
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(processes, &process); more != 0;
         more = Process32Next(processes, &process)) {
        if (_stricmp(process.szExeFile, argv[1]) != 0)
            continue;
        (void)FreeConsole();
        if (AttachConsole(process.th32ProcessID) != 0 && GetConsoleWindow() != nullptr &&
            write_screen(out))
            return 0;
    }
    return 1;
}
