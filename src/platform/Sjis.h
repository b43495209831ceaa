#pragma once
// Conversion between Shift-JIS (code page 932) and UTF-8. Source files are UTF-8, so every
// Shift-JIS constant of the program is written as UTF-8 text and converted once through here.

#include "platform/String.h"

#include <string>
#include <string_view>

// Shift-JIS bytes to UTF-8. A byte sequence that is not valid CP932 becomes U+FFFD.
std::string SjisToUtf8(std::string_view sjis);
// UTF-8 to Shift-JIS. A character that CP932 cannot hold becomes '?'.
std::string Utf8ToSjis(std::string_view utf8);
// A Shift-JIS CString from a UTF-8 literal: the one way program constants become model text.
CString Sjis(std::string_view utf8);
