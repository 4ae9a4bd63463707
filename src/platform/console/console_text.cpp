// Stream output into a console model.
#include "platform/console/console_text.h"

ConsoleTextBuffer::int_type ConsoleTextBuffer::overflow(int_type ch) {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        const char c = traits_type::to_char_type(ch);
        model.writeText(&c, 1);
    }
    return traits_type::not_eof(ch);
}

std::streamsize ConsoleTextBuffer::xsputn(const char* text, std::streamsize count) {
    model.writeText(text, static_cast<std::size_t>(count));
    return count;
}
