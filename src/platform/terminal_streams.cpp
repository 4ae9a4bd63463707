// Stream buffers over the terminal platform's output queue and typed-line reader.
#include "platform/terminal_streams.h"

#include <string_view>

QueuedOutputBuffer::int_type QueuedOutputBuffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    const char c = traits_type::to_char_type(ch);
    xsputn(&c, 1);
    return ch;
}

std::streamsize QueuedOutputBuffer::xsputn(const char* text, std::streamsize count) {
    const std::string_view all(text, static_cast<std::size_t>(count));
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t newline = all.find('\n', start);
        const std::size_t stop = newline == std::string_view::npos ? all.size() : newline;
        if (stop > start) {
            sink(all.data() + start, stop - start);
        }
        if (newline == std::string_view::npos) {
            break;
        }
        sink("\r\n", 2);
        start = newline + 1;
    }
    return count;
}

TypedInputBuffer::int_type TypedInputBuffer::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    const std::size_t count = source(buffer, CAPACITY);
    if (count == 0) {
        return traits_type::eof();
    }
    setg(buffer, buffer, buffer + count);
    return traits_type::to_int_type(buffer[0]);
}
