// A mission carried in a link to the editor's page: the 5192 bytes deflated (RFC 1951) and
// base64url-encoded after "#m=". A link's fragment never reaches the server.
#pragma once

#include "skirmish_file.h"
#include "user_error.h"

#include <string>
#include <string_view>

namespace mission {

// Where the page is published, the base of a link unless another is given.
inline constexpr std::string_view kPageAddress = "https://quarnel.codeberg.page/";
// What stands between the page's address and the mission's text.
inline constexpr std::string_view kLinkMarker = "#m=";

// A link's text does not carry a mission: it is cut short, altered, or from something else.
class ELinkError : public text::EUserError {
public:
    using text::EUserError::EUserError;
};

// The text after the marker for these bytes.
std::string LinkText(const TSkirmishImage& image);

// The page's address, then the marker and the text.
std::string MissionLink(const TSkirmishImage& image, std::string_view base = kPageAddress);

// The bytes a link's text carries: base64url (padding allowed) of a deflated stream that
// inflates to exactly 5192 bytes and ends there. Raises ELinkError for anything else, doing
// bounded work whatever the text.
TSkirmishImage ImageFromLinkText(std::string_view text);

} // namespace mission
