// The errors the mission library raises, each carrying the text the user is shown.
#pragma once

#include "file_error.h"
#include "user_error.h"

#include <string>

namespace mission {

// A file could not be found, opened, read or written: the file layer's error.
using files::EInOutError;

// A list was asked for an entry it does not have.
class EListError : public text::EUserError {
public:
    explicit EListError(int index);
    int Index;
};

} // namespace mission
