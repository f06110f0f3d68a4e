#pragma once
// UTF-16 forms of local texts. The input rules count UTF-16 code units, as the
// edit and address controls hold their texts; callers whose text is UTF-8
// (the command-line tool, the store) convert with this first.

#include <string>
#include <string_view>

// Every byte that does not start a valid UTF-8 sequence becomes U+FFFD; characters
// outside the Basic Multilingual Plane become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view utf8);
