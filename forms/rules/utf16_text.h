#pragma once
// UTF-16 forms of local texts. The input rules count UTF-16 code units, as the
// edit and address controls hold their texts; callers whose text is UTF-8
// (the command-line tool, the store) convert with this first.

#include <string>
#include <string_view>

// Each invalid or truncated UTF-8 sequence (its longest valid beginning, at
// least one byte) becomes one U+FFFD; characters outside the Basic
// Multilingual Plane become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view utf8);
