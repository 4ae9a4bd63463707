// The three built-in maps. Each row's text is padded with blanks to a fixed width and then with
// zero bytes to 32; rows after the last are all zero bytes.
#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "world/world.h"

namespace {

// Lays out `rows` with each row padded by blanks to `paddedWidth` characters.
constexpr MapGrid buildMap(std::initializer_list<std::string_view> rows, std::size_t paddedWidth) {
    MapGrid map{};
    std::size_t y = 0;
    for (std::string_view row : rows) {
        for (std::size_t x = 0; x < paddedWidth; ++x) {
            map[y * MAP_STRIDE + x] =
                x < row.size() ? static_cast<unsigned char>(row[x]) : OPEN_CELL;
        }
        ++y;
    }
    return map;
}

}  // namespace

constexpr MapGrid demoMap1 = buildMap(
    {
        "111111111111",
        "1          1",
        "1          1",
        "1  11  11  1",
        "1  11  11  1",
        "1          1",
        "1          1",
        "1  11  11  1",
        "1  11  11  1",
        "1          1",
        "1          1",
        "111111111111",
    },
    24);

constexpr MapGrid demoMap2 = buildMap(
    {
        "1111111111111",
        "1     1     1",
        "1 1 1 1 1 1 1",
        "1           1",
        "1 1 1 1 1 1 1",
        "1     1     1",
        "111 11111 111",
        "1     1     1",
        "1 1 1 1 1 1 1",
        "1           1",
        "1 1 1 1 1 1 1",
        "1     1     1",
        "1111111111111",
    },
    25);

constexpr MapGrid demoMap3 = buildMap(
    {
        "1111111111111111111111",
        "1     1     1   1    1",
        "1 111 1     1   1    1",
        "1        1      1    1",
        "1     1     1   1 11 1",
        "1     1     1   1 11 1",
        "1     11111111111 11 1",
        "1     1              1",
        "1     1     11       1",
        "1        11 11       1",
        "1 111 1  11    1111  1",
        "1     1        11    1",
        "11111111111111111 1  1",
        "11 1     1     11 1  1",
        "1                    1",
        "11    1     1        1",
        "1111111111111111111111",
    },
    25);
