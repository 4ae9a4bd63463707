// Byte-to-UTF-16 tables for the console's row writes.
#include "platform/windows/win32_glyphs.h"

#include <windows.h>

#include "platform/console/console_facts.h"

void buildGlyphTable(unsigned codePage, GlyphTable& table) {
    table.codePage = codePage;
    for (unsigned byte = 0; byte < 256; ++byte) {
        wchar_t wide = static_cast<wchar_t>(byte);
        if (byte == WALL_BYTE) {
            wide = FULL_BLOCK_CHAR;
        } else if (byte >= 0x80) {
            const char narrow = static_cast<char>(byte);
            // A lone byte that starts a multi-byte sequence (UTF-8, DBCS) converts to nothing.
            if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &narrow, 1, &wide, 1) != 1) {
                wide = UNMAPPED_CHAR;
            }
        }
        table.wide[byte] = wide;
    }
}

void widenRow(const GlyphTable& table, const char* chars, std::uint32_t length,
              std::vector<wchar_t>& out) {
    out.resize(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        out[i] = table.wide[static_cast<unsigned char>(chars[i])];
    }
}
