// console_peek: prints what another program's console shows, read from its screen buffer.
//   console_peek IMAGE [ROWS]
// Attaches to the console of the newest running process whose executable is IMAGE (for example
// mazecast.exe) and prints "attribute XX" (the attribute of the top-left cell, in hex), then
// "window LEFT TOP RIGHT BOTTOM buffer COLUMNS ROWS" (the buffer cells the window shows, inclusive,
// and the buffer's size), then the first ROWS rows (default 1) as UTF-8 without trailing blanks.
// Exits 1 when there is no such process or its console cannot be read.
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

DWORD newestProcess(const char* image) {
    std::wstring wanted(image, image + std::char_traits<char>::length(image));
    DWORD found = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, wanted.c_str()) == 0 && entry.th32ProcessID > found) {
            found = entry.th32ProcessID;
        }
    }
    CloseHandle(snapshot);
    return found;
}

std::string toUtf8(const std::vector<wchar_t>& wide) {
    std::size_t length = wide.size();
    while (length > 0 && wide[length - 1] == L' ') {
        --length;
    }
    if (length == 0) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), nullptr,
                                         0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), text.data(), size,
                        nullptr, nullptr);
    return text;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: console_peek IMAGE [ROWS]\n");
        return 2;
    }
    const SHORT rows = static_cast<SHORT>(argc == 3 ? std::atoi(argv[2]) : 1);
    const DWORD process = newestProcess(argv[1]);
    if (process == 0) {
        std::fprintf(stderr, "console_peek: no process %s\n", argv[1]);
        return 1;
    }
    FreeConsole();
    if (!AttachConsole(process)) {
        std::fprintf(stderr, "console_peek: cannot attach to process %lu\n", process);
        return 1;
    }
    const HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        std::fprintf(stderr, "console_peek: cannot read the console\n");
        return 1;
    }
    WORD attribute = 0;
    DWORD read = 0;
    ReadConsoleOutputAttribute(screen, &attribute, 1, COORD{0, 0}, &read);
    std::printf("attribute %02x\n", attribute);
    std::printf("window %d %d %d %d buffer %d %d\n", info.srWindow.Left, info.srWindow.Top,
                info.srWindow.Right, info.srWindow.Bottom, info.dwSize.X, info.dwSize.Y);
    std::vector<wchar_t> row(static_cast<std::size_t>(info.dwSize.X));
    for (SHORT y = 0; y < rows && y < info.dwSize.Y; ++y) {
        ReadConsoleOutputCharacterW(screen, row.data(), static_cast<DWORD>(row.size()), COORD{0, y},
                                    &read);
        row.resize(read);
        std::printf("%s\n", toUtf8(row).c_str());
        row.resize(static_cast<std::size_t>(info.dwSize.X));
    }
    return 0;
}
