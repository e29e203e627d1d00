// Names and paths as the walk finds them, any bytes: the results list's compare rule and
// its sort keys, transliteration and the list file's line.
#include "export/ListFileWriter.h"
#include "fuzz/FuzzInput.h"
#include "platform/Utf8.h"
#include "results/TextCompare.h"
#include "results/Translite.h"

#include <cstdlib>
#include <string>

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

using nuvero::fuzz::check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nuvero;
    const auto [a, b] = fuzz::splitTwo(data, size);

    // The sort orders encoded keys byte by byte; that order must be the compare rule's.
    const int ab = textcompare::compare(a, b);
    check(sign(ab) == -sign(textcompare::compare(b, a)));
    check(textcompare::compare(a, a) == 0);
    std::string keyA;
    std::string keyB;
    textcompare::appendSortKey(keyA, a);
    textcompare::appendSortKey(keyB, b);
    check(sign(keyA.compare(keyB)) == sign(ab));

    // Valid text stays valid, loses every Russian letter and then converts to itself.
    const std::string latin = translite(a);
    if (utf8::isValid(a)) {
        check(utf8::isValid(latin));
        check(translite(latin) == latin);
    }

    // The Name starts at the smallest of 50, 60, ... that is at least L + 10.
    std::string line;
    ListFileWriter::appendLine(line, a, b);
    const auto length = static_cast<long long>(utf8::countChars(a));
    const long long column = ListFileWriter::nameColumn(a);
    check(column >= 50 && column % 10 == 0 && column >= length + 10 && (column == 50 || column - 10 < length + 10));
    const std::size_t nameAt = a.size() + static_cast<std::size_t>(column - 1 - length);
    check(line.size() == nameAt + b.size() + 3);
    check(line.compare(0, a.size(), a) == 0 && line.compare(nameAt, b.size(), b) == 0);
    check(line.compare(line.size() - 3, 3, " \r\n") == 0);
    return 0;
}
