#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace nuvero {

// Names and paths are UTF-8 byte strings below the window; Qt shows QStrings. A name
// that is not valid UTF-8 shows with replacement characters, but its row keeps the bytes.
QString toQString(std::string_view text);
std::string toUtf8(const QString& text);

} // namespace nuvero
