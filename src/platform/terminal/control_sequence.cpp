// Splitting a control sequence's parameter bytes into prefix, fields and intermediates.
#include "platform/terminal/control_sequence.h"

#include <algorithm>

namespace terminal_platform {

namespace {

constexpr int NUMBER_LIMIT = 100000000;  // keeps parameter arithmetic far from overflow

// Parses "-12", "7" or "" (MISSING).
int parseNumber(std::string_view text) {
    if (text.empty()) {
        return ControlSequence::MISSING;
    }
    bool negative = false;
    std::size_t i = 0;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }
    int number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (number < NUMBER_LIMIT) {
            number = number * 10 + (text[i] - '0');
        }
    }
    return negative ? -number : number;
}

// Splits one ';'-separated field into its ':'-separated values.
void splitField(std::string_view field, ControlSequence& seq) {
    const std::size_t index = seq.fieldCount++;
    std::size_t start = 0;
    while (start <= field.size()) {
        const std::size_t stop = std::min(field.find(':', start), field.size());
        if (seq.valueCounts[index] < ControlSequence::MAX_VALUES) {
            seq.fields[index][seq.valueCounts[index]++] =
                parseNumber(field.substr(start, stop - start));
        }
        start = stop + 1;
    }
}

}  // namespace

int ControlSequence::value(std::size_t field, std::size_t sub, int fallback) const {
    if (field >= fieldCount || sub >= valueCounts[field]) {
        return fallback;
    }
    const int v = fields[field][sub];
    return v == MISSING ? fallback : v;
}

ControlSequence splitControlSequence(std::string_view body, char final) {
    ControlSequence seq;
    seq.final = final;
    if (!body.empty() && body[0] >= '<' && body[0] <= '?') {
        seq.prefix = body[0];
        body.remove_prefix(1);
    }
    std::size_t end = body.size();
    while (end > 0 && body[end - 1] >= 0x20 && body[end - 1] <= 0x2F) {
        --end;
    }
    seq.intermediates = body.substr(end);
    body = body.substr(0, end);
    if (body.empty()) {
        return seq;
    }
    std::size_t start = 0;
    while (start <= body.size() && seq.fieldCount < ControlSequence::MAX_FIELDS) {
        const std::size_t stop = std::min(body.find(';', start), body.size());
        splitField(body.substr(start, stop - start), seq);
        start = stop + 1;
    }
    return seq;
}

}  // namespace terminal_platform
