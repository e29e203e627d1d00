#include "platform/Wildcard.h"

#include <gtest/gtest.h>

using nuvero::platform::wildcardMatch;

namespace {

struct WildcardCase {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(WildcardTest, MatchesLikeWindows)
{
    const WildcardCase cases[] = { { "*.*", "noextension", true }, { "*.*", ".profile", true },
        { "*", "anything.at.all", true }, { "*.txt", "notes.txt", true }, { "*.txt", "NOTES.TXT", true },
        { "*.txt", "notes.txt.bak", false }, { "*.txt", "txt", false }, { "?.txt", "a.txt", true },
        { "?.txt", "ab.txt", false }, { "?.txt", "\xD1\x8F.txt", true }, // я.txt: one character
        { "\xD0\x9E\xD0\xA2*", "\xD0\xBE\xD1\x82\xD1\x87\xD0\xB5\xD1\x82", true }, // ОТ* vs отчет
        { "a*b*c", "axxbyyc", true }, { "a*b*c", "axxbyy", false }, { "*a", "banana", true },
        { "report_????.doc", "REPORT_2004.DOC", true }, { "", "", true }, { "", "a", false },
        { "x*", "x\xFF\xFE", true }, // bytes that are not UTF-8
        { "?", "\xFF", true }, { "\xFF", "\xFE", false }, { "**b", "ab", true },
        // A trailing ".*" also takes names without a dot; a trailing "." only those.
        { "a*.*", "abc", true }, { "a*.*", "bac", false }, { "notes.*", "NOTES", true }, { "notes.*", "notesx", false },
        { "*.", "abc", true }, { "*.", "a.b", false }, { "abc.", "abc", true },
        // "?" before a dot or at the end may stand for nothing, elsewhere for one character.
        { "file?.txt", "file.txt", true }, { "file?.txt", "file1.txt", true }, { "file?.txt", "file12.txt", false },
        { "abc?", "abc", true }, { "abc??", "abcd", true }, { "abc?", "abcde", false }, { "a?c", "ac", false },
        // Capitals of the name alphabets match their small letters; a byte that is no
        // character (an overlong form, half a surrogate) is one character of its own.
        { "ÉĀŁŚŽŸЁЄҐѠӐΑЯ", "éāłśžÿёєґѡӑαя", true }, { "éāłśžÿёєґѡӑαя", "ÉĀŁŚŽŸЁЄҐѠӐΑЯ", true }, { "×", "÷", false },
        { "中", "中", true }, { "?", "😀", true }, { "?", "\xC0\x80", false }, { "??", "\xC0\x80", true },
        { "??", "\xED\xA0\x80", false } };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

} // namespace
