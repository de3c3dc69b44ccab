// The base of the errors that reach the user, shared by every library of the program.
#pragma once

#include <stdexcept>

namespace text {

// An error whose text is what the user is shown.
class EUserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace text
