#pragma once
// Names and tags in model files are 8-bit text; JSON and the interchange
// formats hold UTF-8.
#include <string>

// Valid UTF-8 passes unchanged; any other byte is taken as the 8-bit
// character of the same code (U+0080 to U+00FF). Changed tells whether a
// byte was taken so.
std::string Latin1ToUtf8(const std::string& Text, bool* Changed = nullptr);

// The reverse for text whose characters all lie below U+0100; false (and
// Text unchanged in Result) when one does not or the text is not UTF-8.
bool Utf8ToLatin1(const std::string& Text, std::string& Result);

// Text shown on one line (a report line, a comment in a written file): each
// control byte (below 0x20, and 0x7F) is written as \xNN with two upper-case
// hex digits, so a name from a file can never break the line; every other
// byte passes unchanged.
std::string EscapeControlBytes(const std::string& Text);
