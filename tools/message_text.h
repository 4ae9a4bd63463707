// Text from a script or a command line, made safe to show inside a one-line message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// At most `maxBytes` bytes of `text`, followed by "..." when it was cut, with every byte outside
// printable ASCII written as \xHH and a backslash as "\\", so that nothing in it can act on the
// terminal that shows the message.
std::string quoteText(std::string_view text, std::size_t maxBytes = 32);
