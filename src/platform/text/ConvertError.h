#pragma once

#include <stdexcept>
#include <string>

namespace zv {

// A date or time text that does not parse; its text is what the general error report shows.
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    static ConvertError invalidDate(const std::string& text)
    {
        return ConvertError("'" + text + "' is not a valid date");
    }
    static ConvertError invalidTime(const std::string& text)
    {
        return ConvertError("'" + text + "' is not a valid time");
    }
};

} // namespace zv
