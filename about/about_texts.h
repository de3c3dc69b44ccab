// The fixed texts of the about box.
#pragma once

namespace about {

inline constexpr const char* kRightsNotice = "Copyright \u00a9 2026 The Quarnel developers";

// Two paragraphs, short enough that the text field shows them whole without scrolling.
inline constexpr const char* kLicenceText =
    "Quarnel is free software under the MIT licence. You may use, copy, change, merge, publish, "
    "distribute, sublicense and sell copies of it, and let others do so, on one condition: the "
    "copyright notice and this permission notice stay in all copies or substantial portions of the "
    "program.\n"
    "\n"
    "THE PROGRAM IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING "
    "BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND "
    "NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, "
    "DAMAGES OR OTHER LIABILITY ARISING FROM, OUT OF OR IN CONNECTION WITH THE PROGRAM OR ITS USE.";

inline constexpr const char* kUnofficialLine1 = "Quarnel is an unofficial program made by fans.";
inline constexpr const char* kUnofficialLine2 = "It is neither supported nor approved by the game's maker.";

} // namespace about
