// The errors the mission library raises, each carrying the text the user is shown.
#pragma once

#include "user_error.h"

#include <string>
#include <utility>

namespace mission {

// A file could not be found, opened, read or written.
class EInOutError : public text::EUserError {
public:
    // The text follows from the kind of failure; errorCode is the system's error number.
    EInOutError(std::string message, int errorCode)
        : text::EUserError(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

// A list was asked for an entry it does not have.
class EListError : public text::EUserError {
public:
    explicit EListError(int index);
    int Index;
};

} // namespace mission
