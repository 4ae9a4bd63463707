// send_keys: presses keys through the desktop's input queue, as a keyboard would, so that another
// program's asynchronous key-state queries see them. Used by the console tests under wine.
//   send_keys [--hold MS] KEY...   KEY: return, shift, up, down, w, a, s, d or a hex code (0x57)
// All keys go down in the order given, stay down MS milliseconds (default 300), and come up in
// reverse order.
#include <windows.h>

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

}  // namespace

int main(int argc, char* argv[]) {
    DWORD holdMs = 300;
    std::vector<WORD> codes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc) {
            holdMs = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (const WORD code = keyCode(argv[i]); code != 0) {
            codes.push_back(code);
        } else {
            std::fprintf(stderr, "send_keys: unknown key '%s'\n", argv[i]);
            return 2;
        }
    }
    if (codes.empty()) {
        std::fprintf(stderr, "usage: send_keys [--hold MS] KEY...\n");
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
        std::fprintf(stderr, "send_keys: the input queue refused a key\n");
        return 1;
    }
    return 0;
}
