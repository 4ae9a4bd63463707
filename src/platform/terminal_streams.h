// The standard streams of the terminal platform: text out goes into the platform's output
// queue with line ends made "\r\n"; text in comes from a reader of typed lines.
#pragma once

#include <cstddef>
#include <functional>
#include <streambuf>

// Hands every character written to `sink`, a '\n' as "\r\n" (the terminal's output processing
// is off while the game runs).
class QueuedOutputBuffer : public std::streambuf {
public:
    using Sink = std::function<void(const char*, std::size_t)>;
    explicit QueuedOutputBuffer(Sink target) : sink(std::move(target)) {}

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
    Sink sink;
};

// Fills from `source`, which waits for typed input and returns how many bytes it stored
// (0 at the end of input, as after Ctrl+D at a prompt).
class TypedInputBuffer : public std::streambuf {
public:
    using Source = std::function<std::size_t(char*, std::size_t)>;
    explicit TypedInputBuffer(Source origin) : source(std::move(origin)) {}

protected:
    int_type underflow() override;

private:
    static constexpr std::size_t CAPACITY = 512;
    Source source;
    char buffer[CAPACITY] = {};
};
