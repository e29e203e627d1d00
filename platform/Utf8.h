#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nuvero::utf8 {

// Names above the platform layer are UTF-8, but a Linux name may hold any bytes. Every
// text function walks names with decode(), which takes a byte that does not start a
// valid sequence as one character of its own (valid == false, code == the byte), so no
// byte is ever lost or changed by the functions that copy what they do not understand.
struct Char {
    char32_t code = 0;
    std::size_t length = 1; // bytes taken from the text
    bool valid = true;
};

Char decode(std::string_view text, std::size_t pos);

// Characters in the text, counting every invalid byte as one.
std::size_t countChars(std::string_view text);

bool isValid(std::string_view text);

void append(std::string& out, char32_t code);

// Simple case folding (capital to small letter) for the alphabets file names are written
// in: Latin with its Western and Central European letters, Greek and Cyrillic. Other
// characters come back unchanged. Used where names match "without regard to case".
char32_t foldCase(char32_t code);

} // namespace nuvero::utf8
