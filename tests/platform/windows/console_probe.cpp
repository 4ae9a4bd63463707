// console_probe: drives and reads another program's console from outside, for the console tests.
//   console_probe keys [--hold MS] KEY...   KEY: return, shift, up, down, w, a, s, d or a hex code
// presses keys through the desktop's input queue, as a keyboard would, so that another program's
// asynchronous key-state queries see them: all go down in the order given, stay down MS
// milliseconds (default 300), and come up in reverse order.
//   console_probe peek IMAGE [ROWS]
// attaches to the console of the newest running process whose executable is IMAGE (for example
// mazecast.exe) and prints "attribute XX" (the attribute of the top-left cell, in hex), then
// "window LEFT TOP RIGHT BOTTOM buffer COLUMNS ROWS" (the buffer cells the window shows, inclusive,
// and the buffer's size), then the first ROWS rows (default 1) as UTF-8 without trailing blanks.
// Exits 1 when a key is refused, there is no such process or its console cannot be read.
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct NamedKey {
    const char* name;
    WORD code;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"return", VK_RETURN},
    {"shift", VK_SHIFT},
    {"up", VK_UP},
    {"down", VK_DOWN},
    {"w", 'W'},
    {"a", 'A'},
    {"s", 'S'},
    {"d", 'D'},
};

// The key's virtual-key code, or 0 when the name means nothing.
WORD keyCode(const char* name) {
    for (const NamedKey& key : NAMED_KEYS) {
        if (_stricmp(name, key.name) == 0) {
            return key.code;
        }
    }
    char* end = nullptr;
    const unsigned long code = std::strtoul(name, &end, 16);
    return (*end == '\0' && code > 0 && code < 256) ? static_cast<WORD>(code) : 0;
}

bool send(WORD code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

int pressKeys(int argc, char* argv[]) {
    DWORD holdMs = 300;
    std::vector<WORD> codes;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc) {
            holdMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (const WORD code = keyCode(argv[i]); code != 0) {
            codes.push_back(code);
        } else {
            std::fprintf(stderr, "console_probe: unknown key '%s'\n", argv[i]);
            return 2;
        }
    }
    if (codes.empty()) {
        std::fprintf(stderr, "usage: console_probe keys [--hold MS] KEY...\n");
        return 2;
    }
    bool sent = true;
    for (const WORD code : codes) {
        sent = send(code, false) && sent;
    }
    Sleep(holdMs);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) {
        sent = send(*code, true) && sent;
    }
    if (!sent) {
        std::fprintf(stderr, "console_probe: the input queue refused a key\n");
        return 1;
    }
    return 0;
}

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

int peek(const char* image, SHORT rows) {
    const DWORD process = newestProcess(image);
    if (process == 0) {
        std::fprintf(stderr, "console_probe: no process %s\n", image);
        return 1;
    }
    FreeConsole();
    if (!AttachConsole(process)) {
        std::fprintf(stderr, "console_probe: cannot attach to process %lu\n", process);
        return 1;
    }
    const HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        std::fprintf(stderr, "console_probe: cannot read the console\n");
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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 2 && std::strcmp(argv[1], "keys") == 0) {
        return pressKeys(argc - 2, argv + 2);
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "peek") == 0) {
        return peek(argv[2], static_cast<SHORT>(argc == 4 ? std::atoi(argv[3]) : 1));
    }
    std::fprintf(stderr, "usage: console_probe keys [--hold MS] KEY... | peek IMAGE [ROWS]\n");
    return 2;
}
