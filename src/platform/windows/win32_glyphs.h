// Turns the game's single-byte characters into the UTF-16 the console's wide row write takes.
#pragma once

#include <cstdint>
#include <vector>

// The full block's own code point: the wall glyph (WALL_BYTE, a full block in the consoles'
// original code page, 437) is shown as this whatever code page the console is set to.
constexpr wchar_t FULL_BLOCK_CHAR = 0x2588;
// Stands for a byte that the code page has no character for on its own.
constexpr wchar_t UNMAPPED_CHAR = L'?';

// The UTF-16 character of every byte under one code page.
struct GlyphTable {
    unsigned codePage;
    wchar_t wide[256];
};

// Fills the table for `codePage`: ASCII bytes stay themselves, byte 219 is the full block, and
// every other byte is what the code page makes of it alone (UNMAPPED_CHAR when it makes nothing).
void buildGlyphTable(unsigned codePage, GlyphTable& table);

// Replaces `out` by the UTF-16 form of `length` bytes from `chars`.
void widenRow(const GlyphTable& table, const char* chars, std::uint32_t length,
              std::vector<wchar_t>& out);
