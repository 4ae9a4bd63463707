// Standard input for the platforms that edit typed lines themselves (terminal, web): text comes
// from a reader of typed lines.
#pragma once

#include <cstddef>
#include <functional>
#include <streambuf>

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
