#pragma once

#include <string>
#include <string_view>

namespace nuvero {

// Latin spelling of a name written in Russian Cyrillic letters, for the rename commands.
// Works on UTF-8 text: the 66 Russian letters (U+0410..U+044F, Ё U+0401, ё U+0451) are
// replaced by their Latin letters, hard and soft signs are dropped, and everything else
// (Latin text, separators, Ukrainian and Belarusian letters, bytes that are not valid
// UTF-8) is copied byte for byte. Each letter is converted on its own; a capital always
// gives an all-capital output ("Щ" -> "SCH"). Й, й, Ё and ё written decomposed (the base
// letter and a combining mark) are taken as the one letter they show.
std::string translite(std::string_view text);

} // namespace nuvero
