// The error the file layer raises, carrying the text the user is shown.
#pragma once

#include "user_error.h"

#include <string>
#include <utility>

namespace files {

// A file could not be found, opened, read or written.
class EInOutError : public text::EUserError {
public:
    // The text follows from the kind of failure; errorCode is the system's error number.
    EInOutError(std::string message, int errorCode)
        : text::EUserError(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

} // namespace files
