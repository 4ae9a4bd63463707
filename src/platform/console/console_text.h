// The standard output stream of a platform that keeps a console model: every character written
// goes into the model at its text cursor.
#pragma once

#include <streambuf>

#include "platform/console/console_model.h"

class ConsoleTextBuffer : public std::streambuf {
public:
    // `target` must outlive the buffer; it may be assigned a new model meanwhile.
    explicit ConsoleTextBuffer(ConsoleModel& target) : model(target) {}

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
    ConsoleModel& model;
};
