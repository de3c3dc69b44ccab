// The errors the mission library raises, each carrying the text the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace mission {

// Base of every error a command can report to the user.
class EMissionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be found, opened, read or written.
class EInOutError : public EMissionError {
public:
    // The text follows from the kind of failure; errorCode is the system's error number.
    EInOutError(std::string message, int errorCode)
        : EMissionError(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

// A list was asked for an entry it does not have.
class EListError : public EMissionError {
public:
    explicit EListError(int index);
    int Index;
};

} // namespace mission
