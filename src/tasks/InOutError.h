#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace zv {

// A failure of task list file input or output. Its text is what the general error report
// shows; the operating system's error numbers are turned into the system's texts here only.
class InOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    // "File not found", "Invalid filename", "Too many open files", "File access denied",
    // "Disk full", or "I/O error <number>".
    static InOutError fromErrorNumber(int errorNumber);
    static InOutError fromSystemError(const std::system_error& error);
    // A count line that is not a number.
    static InOutError invalidNumericInput();

    // Lists the table cannot hold.
    static InOutError wrongColumnCount(long long announced);
    static InOutError tooManyTasks(long long announced);
    // A list that ends before its last cell, where the list must be whole.
    static InOutError incompleteList();
};

} // namespace zv
