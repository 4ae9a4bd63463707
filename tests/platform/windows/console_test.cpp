// The Windows console platform against a real console: run in a terminal-backed console (under
// wine, a tmux pane), on screen buffers of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/console/console_facts.h"
#include "platform/platform.h"
#include "platform/windows/win32_console_buffer.h"
#include "platform/windows/win32_console_layout.h"
#include "platform/windows/win32_console_session.h"
#include "platform/windows/win32_glyphs.h"

namespace {

constexpr SHORT WIDTH = 80;
constexpr SHORT HEIGHT = 25;

// A window `columns` x `rows` with its top-left corner at (left, top).
SMALL_RECT rect(int left, int top, int columns, int rows) {
    return SMALL_RECT{static_cast<SHORT>(left), static_cast<SHORT>(top),
                      static_cast<SHORT>(left + columns - 1), static_cast<SHORT>(top + rows - 1)};
}

COORD cells(int columns, int rows) {
    return COORD{static_cast<SHORT>(columns), static_cast<SHORT>(rows)};
}
FrameExtent extent(int columns, int rows) {
    return FrameExtent{static_cast<SHORT>(columns), static_cast<SHORT>(rows)};
}

COORD sizeOf(const SMALL_RECT& window) {
    return COORD{static_cast<SHORT>(window.Right - window.Left + 1),
                 static_cast<SHORT>(window.Bottom - window.Top + 1)};
}

// Comparable, readable forms of a window and a size for the checks' messages.
std::string describe(COORD size) {
    return std::to_string(size.X) + "x" + std::to_string(size.Y);
}
std::string describe(const SMALL_RECT& window) {
    return describe(sizeOf(window)) + " at " + std::to_string(window.Left) + "," +
           std::to_string(window.Top);
}

// The console's input ("CONIN$") or its active screen buffer ("CONOUT$").
HANDLE openConsole(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

// A screen buffer of the test's own, WIDTH x HEIGHT, with attribute 07.
class ScreenBuffer : public ::testing::Test {
protected:
    void SetUp() override {
        screen = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           CONSOLE_TEXTMODE_BUFFER, nullptr);
        ASSERT_NE(screen, INVALID_HANDLE_VALUE) << "no console: run under a terminal";
        SetConsoleScreenBufferSize(screen, COORD{WIDTH, HEIGHT});
        ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &startInfo));
        colourConsoleBuffer(screen, 0x07);
        input = openConsole(L"CONIN$");
        ASSERT_TRUE(GetConsoleMode(input, &startInputMode));
    }
    void TearDown() override {
        SetConsoleMode(input, startInputMode);
        CloseHandle(input);
        CloseHandle(screen);
    }

    SHORT columns() const { return startInfo.dwSize.X; }
    SHORT rows() const { return startInfo.dwSize.Y; }

    std::wstring text(SHORT column, SHORT row, DWORD length) const {
        std::wstring cells(length, L'\0');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, cells.data(), length, COORD{column, row}, &read);
        cells.resize(read);
        return cells;
    }
    WORD attributeAt(SHORT column, SHORT row) const {
        WORD attribute = 0;
        DWORD read = 0;
        ReadConsoleOutputAttribute(screen, &attribute, 1, COORD{column, row}, &read);
        return attribute;
    }
    void put(SHORT column, SHORT row, const std::wstring& cells, WORD attribute) {
        DWORD written = 0;
        WriteConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()),
                                     COORD{column, row}, &written);
        FillConsoleOutputAttribute(screen, attribute, static_cast<DWORD>(cells.size()),
                                   COORD{column, row}, &written);
    }
    WORD lastAttribute() const {
        return attributeAt(static_cast<SHORT>(columns() - 1), static_cast<SHORT>(rows() - 1));
    }
    CONSOLE_SCREEN_BUFFER_INFO info() const {
        CONSOLE_SCREEN_BUFFER_INFO now{};
        GetConsoleScreenBufferInfo(screen, &now);
        return now;
    }
    CONSOLE_CURSOR_INFO cursor() const {
        CONSOLE_CURSOR_INFO now{};
        GetConsoleCursorInfo(screen, &now);
        return now;
    }
    DWORD inputMode() const {
        DWORD mode = 0;
        GetConsoleMode(input, &mode);
        return mode;
    }
    COORD largest() const { return GetLargestConsoleWindowSize(screen); }
    // "X,Y" of the text cursor.
    std::string cursorAt() const {
        const COORD at = info().dwCursorPosition;
        return std::to_string(at.X) + "," + std::to_string(at.Y);
    }
    // A session on the test's buffer, begun.
    ConsoleSession begin() {
        ConsoleSession session = makeConsoleSession(screen, input);
        beginConsoleSession(session);
        return session;
    }
    // Gives the buffer this size and window; the window is made one cell first, so that any
    // buffer size is allowed.
    void layOut(COORD buffer, SMALL_RECT window) {
        const SMALL_RECT cell{0, 0, 0, 0};
        ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &cell));
        ASSERT_TRUE(SetConsoleScreenBufferSize(screen, buffer)) << describe(buffer);
        ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &window)) << describe(window);
    }

    HANDLE screen = INVALID_HANDLE_VALUE;
    HANDLE input = INVALID_HANDLE_VALUE;
    CONSOLE_SCREEN_BUFFER_INFO startInfo{};
    DWORD startInputMode = 0;
};

// --- glyph tables -------------------------------------------------------------------------------

struct GlyphCase {
    unsigned codePage;
    unsigned char byte;
    wchar_t expected;
};

TEST(GlyphTable, MapsEachByteThroughTheCodePage) {
    const GlyphCase cases[] = {
        {437, 219, 0x2588},   {1252, 219, 0x2588},  {65001, 219, 0x2588},  // the wall glyph
        {437, 'X', L'X'},     {1252, ' ', L' '},    {65001, ':', L':'},    // ASCII as-is
        {437, 0x00, 0x0000},  {1252, 0x7F, 0x007F},                        // controls as-is
        {437, 0xB0, 0x2591},  {437, 0xE9, 0x0398},  {437, 0xDC, 0x2584},   // OEM graphics
        {1252, 0xE9, 0x00E9}, {1252, 0x80, 0x20AC}, {850, 0xDB, 0x2588},   // ANSI letters
        {65001, 0xC3, L'?'},  {65001, 0x80, L'?'},  {65001, 0xFF, L'?'},   // no lone UTF-8
    };
    for (const GlyphCase& c : cases) {
        GlyphTable table{};
        buildGlyphTable(c.codePage, table);
        EXPECT_EQ(table.codePage, c.codePage);
        EXPECT_EQ(static_cast<unsigned>(table.wide[c.byte]), static_cast<unsigned>(c.expected))
            << "code page " << c.codePage << ", byte " << static_cast<unsigned>(c.byte);
    }
}

TEST(GlyphTable, WidenRowTakesExactlyLengthBytesAndReplacesTheOldRow) {
    GlyphTable table{};
    buildGlyphTable(1252, table);
    std::vector<wchar_t> out(10, L'z');
    const char row[] = "A:1\xDB\xDB tail";
    widenRow(table, row, 5, out);
    EXPECT_EQ(std::wstring(out.begin(), out.end()), std::wstring(L"A:1\x2588\x2588"));
    widenRow(table, row, 0, out);
    EXPECT_TRUE(out.empty());
}

// --- fitting the buffer and the window to the frame ---------------------------------------------

// Takes in every row of a frame as presentFrame writes them (each `columns` long, from column 0),
// then fits the console to it.
void showFrame(ConsoleSession& session, FrameExtent frame) {
    for (SHORT row = 0; row < frame.rows; ++row) {
        noteFrameRow(session, static_cast<std::uint32_t>(frame.columns), 0, row);
    }
    fitConsoleToFrame(session);
}

TEST(FrameExtent, GrowsOnlyWithWritesBeyondWhatItCovers) {
    struct WriteCase {
        std::uint32_t length;
        SHORT column;
        SHORT row;
        bool grows;
        SHORT columns;
        SHORT rows;
    };
    // One extent through a sequence of writes, each checked on the extent the earlier ones left.
    const WriteCase writes[] = {
        {120, 0, 0, true, 120, 1},
        {120, 0, 39, true, 120, 40},
        {120, 0, 39, false, 120, 40},
        {60, 0, 10, false, 120, 40},  // already covered
        {10, 115, 5, true, 125, 40},  // wider, from a column
        {0, 0, 100, false, 125, 40},  // an empty write
        {5, -1, 50, false, 125, 40},
        {5, 0, -1, false, 125, 40},                // outside the buffer
        {0xFFFFFFFFu, 0, 41, true, 32767, 32767},  // on in the next rows of the largest buffer
    };
    FrameExtent extent{};
    for (const WriteCase& w : writes) {
        SCOPED_TRACE(std::to_string(w.length) + " at " + describe(COORD{w.column, w.row}));
        constexpr int side = LARGEST_BUFFER_SIDE;
        EXPECT_EQ(coverRowWrite(extent, w.column, w.row, w.length, side, side), w.grows);
        EXPECT_EQ(extent.columns, w.columns);
        EXPECT_EQ(extent.rows, w.rows);
    }
}

// One table of layouts, each planned; those a console of the test's own can be brought to are
// also fitted for real and then ended each way the program ends.
TEST_F(ScreenBuffer, FitGrowsTheBufferThenTheWindowFromRowZeroAndEveryEndingPutsThemBack) {
    const COORD most = largest();
    // A frame the screen holds: the default frame, or the largest window where that is smaller.
    const int fw = std::min<int>(most.X, DEFAULT_FRAME_COLUMNS);
    const int fh = std::min<int>(most.Y, DEFAULT_FRAME_ROWS);
    enum Fit { PLANNED, BUFFER_REFUSED, FITTED };  // BUFFER_REFUSED: the console kept its size
    struct FitCase {
        const char* name;
        Fit fit;
        COORD buffer;
        SMALL_RECT window;
        COORD largest;
        FrameExtent frame;
        COORD wantBuffer;
        SMALL_RECT wantWindow;
    };
    // Each case: buffer, window and largest window before; the frame; buffer and window after.
    const FitCase cases[] = {
        {"200 x 60 chosen in the settings", PLANNED, cells(120, 9001), rect(0, 0, 120, 30),
         cells(240, 63), extent(200, 60), cells(200, 9001), rect(0, 0, 200, 60)},
        {"window larger than the screen", PLANNED, cells(300, 9001), rect(0, 0, 250, 70),
         cells(240, 63), extent(120, 40), cells(300, 9001), rect(0, 0, 250, 70)},
        {"scrolled right, frame smaller", PLANNED, cells(300, 100), rect(50, 0, 120, 30),
         cells(240, 63), extent(60, 20), cells(300, 100), rect(0, 0, 120, 30)},
        {"largest window unknown", PLANNED, cells(120, 9001), rect(0, 0, 120, 30), cells(0, 0),
         extent(120, 40), cells(120, 9001), rect(0, 0, 120, 30)},
        {"pseudo console: buffer refused", BUFFER_REFUSED, cells(120, 30), rect(0, 0, 120, 30),
         cells(240, 63), extent(120, 40), cells(120, 40), rect(0, 0, 120, 30)},
        {"frame taller than the window", FITTED, cells(fw, 300), rect(0, 0, fw, fh - 10), most,
         extent(fw, fh), cells(fw, 300), rect(0, 0, fw, fh)},
        {"buffer narrower and shorter than the frame", FITTED, cells(fw - 20, fh - 10),
         rect(0, 0, fw - 20, fh - 10), most, extent(fw, fh), cells(fw, fh), rect(0, 0, fw, fh)},
        {"buffer narrower and shorter, window smaller still", FITTED, cells(fw - 10, fh - 5),
         rect(0, 0, fw - 20, fh - 10), most, extent(fw, fh), cells(fw, fh), rect(0, 0, fw, fh)},
        {"window scrolled down", FITTED, cells(fw, 300), rect(0, 100, fw, fh), most, extent(fw, fh),
         cells(fw, 300), rect(0, 0, fw, fh)},
        {"frame smaller than the window", FITTED, cells(fw, 300), rect(0, 0, fw, fh), most,
         extent(fw - 20, fh - 10), cells(fw, 300), rect(0, 0, fw, fh)},
        {"frame larger than the screen", FITTED, cells(fw, 300), rect(0, 0, fw - 20, fh - 10), most,
         extent(most.X + 40, most.Y + 20), cells(most.X + 40, std::max(300, most.Y + 20)),
         rect(0, 0, most.X, most.Y)},
    };
    // The normal end's restore, each control event, and 3, which is none and leaves all as fitted.
    constexpr DWORD NORMAL_END = 0xFFFF, NO_EVENT = 3;
    const DWORD endings[] = {NORMAL_END,       CTRL_C_EVENT,      CTRL_BREAK_EVENT,
                             CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT,
                             NO_EVENT};
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fit == FITTED && (most.X < 60 || most.Y < 30)) {
            GTEST_SKIP() << "the console's largest window is only " << describe(most);
        }
        const COORD buffer = bufferSizeFor(c.buffer, c.frame);
        EXPECT_EQ(describe(buffer), describe(c.wantBuffer));
        const COORD kept = c.fit == BUFFER_REFUSED ? c.buffer : buffer;
        EXPECT_EQ(describe(windowFor(c.window, kept, c.largest, c.frame)), describe(c.wantWindow));
        if (c.fit != FITTED) {
            continue;
        }
        for (const DWORD ending : endings) {
            SCOPED_TRACE("ending " + std::to_string(ending));
            colourConsoleBuffer(screen, 0x07);
            layOut(c.buffer, c.window);
            ConsoleSession session = begin();
            colourConsoleBuffer(screen, 0x3F);
            session.coloursChanged = true;
            showFrame(session, c.frame);
            EXPECT_TRUE(ConsoleChange(session).live());

            EXPECT_EQ(describe(info().dwSize), describe(c.wantBuffer));
            EXPECT_EQ(describe(info().srWindow), describe(c.wantWindow));
            const bool changed = describe(c.buffer) != describe(c.wantBuffer) ||
                                 describe(c.window) != describe(c.wantWindow);
            EXPECT_EQ(session.layoutChanged, changed);

            // The ending events restore and leave the exit to the system's handler.
            const bool ends = ending != NO_EVENT;
            if (ending == NORMAL_END) {
                restoreConsoleSession(session);
            } else {
                EXPECT_EQ(handleConsoleEvent(session, ending), FALSE);
            }
            EXPECT_EQ(session.ended, ends);
            EXPECT_EQ(attributeAt(4, 4), ends ? 0x07 : 0x3F);
            EXPECT_EQ(describe(info().dwSize), describe(ends ? c.buffer : c.wantBuffer));
            EXPECT_EQ(describe(sizeOf(info().srWindow)),
                      describe(sizeOf(ends ? c.window : c.wantWindow)));
            // Once ended, no console change goes ahead and a second ending restores nothing.
            EXPECT_EQ(ConsoleChange(session).live(), !ends);
            colourConsoleBuffer(screen, 0x5A);
            restoreConsoleSession(session);
            EXPECT_EQ(attributeAt(4, 4), ends ? 0x5A : 0x07);
        }
    }
}

TEST_F(ScreenBuffer, TheConsoleIsFittedAgainOnlyWhenTheFrameGrows) {
    const int fw = std::min<int>(largest().X, 100);
    const int fh = std::min<int>(largest().Y, 30);
    layOut(cells(fw, 300), rect(0, 0, fw, fh - 10));
    ConsoleSession session = begin();
    showFrame(session, extent(fw, fh - 5));
    ASSERT_EQ(describe(info().srWindow), describe(rect(0, 0, fw, fh - 5)));

    // The user scrolls and shrinks the window; the same frame again leaves it so.
    const SMALL_RECT users = rect(0, 50, fw, fh - 15);
    ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &users));
    showFrame(session, extent(fw, fh - 5));
    EXPECT_EQ(describe(info().srWindow), describe(users));

    // A taller frame is fitted again, from row 0.
    showFrame(session, extent(fw, fh));
    EXPECT_EQ(describe(info().srWindow), describe(rect(0, 0, fw, fh)));
    restoreConsoleSession(session);
}

// --- saving and restoring the console's settings ------------------------------------------------

TEST_F(ScreenBuffer, BeginTurnsQuickEditOffAndRestorePutsBackColoursCursorAndInputMode) {
    SetConsoleMode(input, ENABLE_EXTENDED_FLAGS | ENABLE_QUICK_EDIT_MODE | ENABLE_LINE_INPUT |
                              ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT);
    SetConsoleTextAttribute(screen, 0x1E);
    const CONSOLE_CURSOR_INFO shown{40, TRUE};
    SetConsoleCursorInfo(screen, &shown);
    ConsoleSession session = begin();
    const DWORD modeBefore = session.inputMode;

    EXPECT_EQ(inputMode() & ENABLE_QUICK_EDIT_MODE, 0u);
    EXPECT_NE(inputMode() & ENABLE_EXTENDED_FLAGS, 0u);
    const DWORD kept = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
    EXPECT_EQ(inputMode() & kept, kept);  // the settings screen reads typed lines; Ctrl+C works

    // What a running view does: hide the cursor, recolour, write rows 0..9.
    const CONSOLE_CURSOR_INFO hidden{40, FALSE};
    SetConsoleCursorInfo(screen, &hidden);
    colourConsoleBuffer(screen, 0x3F);
    session.coloursChanged = true;
    session.frame.rows = 10;

    restoreConsoleSession(session);

    EXPECT_TRUE(session.ended);
    EXPECT_EQ(info().wAttributes, 0x1E);
    EXPECT_EQ(attributeAt(0, 0), 0x1E);
    EXPECT_EQ(lastAttribute(), 0x1E);
    EXPECT_TRUE(cursor().bVisible);
    EXPECT_EQ(cursor().dwSize, 40u);
    EXPECT_EQ(cursorAt(), "0,10");  // the row below the last frame row
    EXPECT_EQ(inputMode(), modeBefore);
    EXPECT_NE(inputMode() & ENABLE_QUICK_EDIT_MODE, 0u);
}

TEST_F(ScreenBuffer, RestoreLeavesCellColoursAloneWhenTheProgramNeverChangedThem) {
    ConsoleSession session = begin();
    put(2, 2, L"menu", 0x1E);  // someone else's colours, not the program's

    restoreConsoleSession(session);

    EXPECT_EQ(attributeAt(2, 2), 0x1E);
    EXPECT_EQ(attributeAt(0, 0), 0x07);
}

TEST_F(ScreenBuffer, CursorGoesToTheLastRowWhenTheFrameFilledTheBuffer) {
    ConsoleSession session = begin();
    session.frame.rows = rows();
    restoreConsoleSession(session);
    EXPECT_EQ(cursorAt(), "0," + std::to_string(rows() - 1));
}

// --- the platform functions on the standard output handle ---------------------------------------

// Points the standard output handle at the test's buffer, as a console program's would be.
class PlatformOnScreen : public ScreenBuffer {
protected:
    void SetUp() override {
        ScreenBuffer::SetUp();
        savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, screen);
    }
    void TearDown() override {
        SetStdHandle(STD_OUTPUT_HANDLE, savedOutput);
        ScreenBuffer::TearDown();
    }
    HANDLE savedOutput = nullptr;
};

TEST_F(PlatformOnScreen, NamesItselfAndHandsOutTheStandardOutput) {
    EXPECT_STREQ(platformName(), "windows-console");
    EXPECT_EQ(platformOutputHandle(), screen);
}

TEST_F(PlatformOnScreen, WriteRowShowsTheWallAsAFullBlockAndKeepsTheColours) {
    SetConsoleOutputCP(1252);  // where byte 219 is not a block
    DWORD written = 0;
    FillConsoleOutputAttribute(screen, 0x1E, 5, COORD{3, 2}, &written);
    const char row[] = "X:\xDB \xDB";

    EXPECT_TRUE(platformWriteRow(screen, row, 5, 3, 2));

    EXPECT_EQ(text(3, 2, 5), L"X:\x2588 \x2588");
    EXPECT_EQ(attributeAt(3, 2), 0x1E);
    EXPECT_EQ(attributeAt(7, 2), 0x1E);
    SetConsoleOutputCP(437);
}

TEST_F(PlatformOnScreen, WriteRowContinuesOnTheNextLineWhenWiderThanTheBuffer) {
    const std::string row(static_cast<std::size_t>(columns()) + 4, '\xDB');
    EXPECT_TRUE(platformWriteRow(screen, row.data(), static_cast<std::uint32_t>(row.size()), 0, 5));
    EXPECT_EQ(text(static_cast<SHORT>(columns() - 1), 5, 1), L"\x2588");
    EXPECT_EQ(text(0, 6, 5), L"\x2588\x2588\x2588\x2588 ");
}

TEST_F(PlatformOnScreen, CursorCallsReachTheConsole) {
    ConsoleCursorInfo read{};
    ASSERT_TRUE(platformGetCursorInfo(screen, &read));
    read.visible = false;
    ASSERT_TRUE(platformSetCursorInfo(screen, &read));
    EXPECT_FALSE(cursor().bVisible);
    EXPECT_EQ(cursor().dwSize, read.size);

    EXPECT_TRUE(platformSetCursorPosition(screen, 12, 4));
    EXPECT_EQ(cursorAt(), "12,4");
    EXPECT_FALSE(platformSetCursorPosition(screen, -1, 0));
}

TEST_F(PlatformOnScreen, ColoursKeepCharactersAndCursorAndClearBlanksWithTheTextAttribute) {
    const SHORT lastColumn = static_cast<SHORT>(columns() - 1);
    const SHORT lastRow = static_cast<SHORT>(rows() - 1);
    platformWriteRow(screen, "\xDB\xDB", 2, 5, 3);
    put(static_cast<SHORT>(lastColumn - 2), lastRow, L"end", 0x1E);
    platformSetCursorPosition(screen, 7, 2);

    // Every cell and later text take the running colours; characters and cursor stay ("color").
    platformSetConsoleColours();
    for (const COORD cell : {COORD{0, 0}, COORD{5, 3}, COORD{lastColumn, lastRow}}) {
        EXPECT_EQ(attributeAt(cell.X, cell.Y), RUNNING_ATTRIBUTE) << cell.X << "," << cell.Y;
    }
    EXPECT_EQ(info().wAttributes, RUNNING_ATTRIBUTE);
    EXPECT_EQ(text(5, 3, 2), L"\x2588\x2588");
    EXPECT_EQ(cursorAt(), "7,2");

    // Every cell is blanked with the text attribute, and the cursor goes home ("cls"): after
    // "color" that keeps its colours, after another text attribute it takes that one.
    platformClearConsole();
    EXPECT_EQ(text(5, 3, 2), L"  ");
    EXPECT_EQ(text(static_cast<SHORT>(lastColumn - 2), lastRow, 3), L"   ");
    EXPECT_EQ(attributeAt(0, 0), RUNNING_ATTRIBUTE);
    EXPECT_EQ(cursorAt(), "0,0");
    SetConsoleTextAttribute(screen, 0x1E);
    platformSetCursorPosition(screen, 12, 6);
    platformClearConsole();
    EXPECT_EQ(attributeAt(0, 0), 0x1E);
    EXPECT_EQ(lastAttribute(), 0x1E);
    EXPECT_EQ(cursorAt(), "0,0");
}

// What a running demo does to the console's own buffer, two frames wider than the buffer and
// taller than its window, then a normal end: run in a child process, which shares the console with
// the test. Exits 3 when the console was not fitted to the frame. (The control events are tested
// through handleConsoleEvent above: under wine a generated control event does not end the child.)
void runFramesThenExit() {
    const HANDLE active = openConsole(L"CONOUT$");
    SetStdHandle(STD_OUTPUT_HANDLE, active);
    CONSOLE_SCREEN_BUFFER_INFO before{};
    GetConsoleScreenBufferInfo(active, &before);
    const SHORT rows = static_cast<SHORT>(before.srWindow.Bottom - before.srWindow.Top + 11);
    const std::string row(static_cast<std::size_t>(before.dwSize.X) + 10, '\xDB');
    for (int frame = 0; frame < 2; ++frame) {
        for (SHORT y = 0; y < rows; ++y) {
            platformWriteRow(platformOutputHandle(), row.data(),
                             static_cast<std::uint32_t>(row.size()), 0, y);
        }
        platformSleep(1);
    }
    CONSOLE_SCREEN_BUFFER_INFO after{};
    GetConsoleScreenBufferInfo(active, &after);
    std::exit(after.dwSize.X > before.dwSize.X && after.dwSize.Y >= rows ? 0 : 3);
}

TEST(NormalEnd, TheProgramsExitPutsBackTheBufferAndTheWindow) {
    const HANDLE active = openConsole(L"CONOUT$");
    CONSOLE_SCREEN_BUFFER_INFO before{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(active, &before));

    EXPECT_EXIT(runFramesThenExit(), ::testing::ExitedWithCode(0), "");

    CONSOLE_SCREEN_BUFFER_INFO after{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(active, &after));
    EXPECT_EQ(describe(after.dwSize), describe(before.dwSize));
    EXPECT_EQ(describe(sizeOf(after.srWindow)), describe(sizeOf(before.srWindow)));
    CloseHandle(active);
}

// --- keys, as the desktop's input queue reports them --------------------------------------------

void sendKey(int key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(key);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ASSERT_EQ(SendInput(1, &input, sizeof(INPUT)), 1u);
}

TEST(KeyState, HeldIsNegativeAndAPressIsReportedOnceToTheNextQuery) {
    struct KeyCase {
        int key;
        bool checkPress;
    };
    // Wine reports a Shift press on the left or right Shift code only; the game asks only
    // whether Shift is held.
    const KeyCase cases[] = {{KEY_RETURN, true}, {KEY_SHIFT, false}, {KEY_UP, true},
                             {KEY_DOWN, true},   {KEY_W, true},      {KEY_A, true},
                             {KEY_S, true},      {KEY_D, true}};
    for (const auto& [key, checkPress] : cases) {
        SCOPED_TRACE("key " + std::to_string(key));
        platformKeyState(key);  // takes up any press reported earlier
        sendKey(key, false);
        const std::int16_t down = platformKeyState(key);
        EXPECT_LT(down, 0);
        if (checkPress) {
            EXPECT_EQ(down & 1, 1);
        }
        EXPECT_EQ(platformKeyState(key) & 1, 0) << "reported twice";
        EXPECT_LT(platformKeyState(key), 0) << "no longer held";

        sendKey(key, true);
        EXPECT_GE(platformKeyState(key), 0);
    }
}

TEST(KeyState, APressThatEndedBeforeTheQueryIsStillReported) {
    platformKeyState(KEY_RETURN);
    sendKey(KEY_RETURN, false);
    sendKey(KEY_RETURN, true);
    const std::int16_t state = platformKeyState(KEY_RETURN);
    EXPECT_GE(state, 0);
    EXPECT_EQ(state & 1, 1);
}

}  // namespace
