// The stream buffer over a reader of typed lines.
#include "platform/console/typed_input.h"

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
