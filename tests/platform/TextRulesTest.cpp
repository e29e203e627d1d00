// Text rules of the platform layer that need no file system: masks, date-times as the
// program stores and shows them, and names and paths as the Windows back end hands them to
// the system (built everywhere, so they are checked in every build).

#include "platform/DateTime.h"
#include "platform/Wildcard.h"
#include "platform/win32/ProgramPath.h"
#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

namespace nuvero::platform {
namespace {

TEST(WildcardTest, MatchesLikeWindows)
{
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = { { "*.*", "noextension", true }, { "*.txt", "NOTES.TXT", true }, { "*.txt", "notes.txt.bak", false },
        { "?.txt", "ab.txt", false }, { "a*b*c", "axxbyy", false },
        // A trailing ".*" also takes names without a dot; a trailing "." only those.
        { "a*.*", "abc", true }, { "a*.*", "bac", false }, { "*.", "abc", true }, { "*.", "a.b", false },
        // "?" before a dot or at the end may stand for nothing, elsewhere for one character.
        { "file?.txt", "file.txt", true }, { "file?.txt", "file1.txt", true }, { "file?.txt", "file12.txt", false },
        { "a?c", "ac", false },
        // Capitals of the name alphabets match their small letters; a byte that is no
        // character (an overlong form, half a surrogate) is one character of its own.
        { "ÉĀŁŚŽŸЁЄҐѠӐΑЯ", "éāłśžÿёєґѡӑαя", true }, { "×", "÷", false }, { "?", "😀", true }, { "??", "\xC0\x80", true },
        { "??", "\xED\xA0\x80", false } };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

// Days since 30 December 1899, as the classic date value counts them, and the row's Time
// text (milliseconds left out); texts that are no date-time of the program's own format
// are refused.
TEST(TextRulesTest, DateTimes)
{
    const struct {
        CalendarTime date;
        double days;
        const char* rowText;
    } cases[] = { { { 1899, 12, 29, 0, 0, 0, 0 }, -1.0, "29.12.1899  00:00:00" },
        { { 1900, 3, 1, 0, 0, 0, 0 }, 61.0, "01.03.1900  00:00:00" },
        { { 2024, 2, 29, 9, 5, 7, 999 }, 45351.37856480324, "29.02.2024  09:05:07" } };
    for (const auto& c : cases) {
        const DateTime t = DateTime::fromCalendar(c.date);
        EXPECT_DOUBLE_EQ(t.days(), c.days) << c.rowText;
        EXPECT_EQ(t.rowText(), c.rowText);
        EXPECT_EQ(DateTime::parse(c.rowText), DateTime::fromMsecs(t.msecs() - c.date.millisecond)) << c.rowText;
    }
    EXPECT_EQ(DateTime::parse("31.01.2026 14:30:05")->calendar(), (CalendarTime { 2026, 1, 31, 14, 30, 5, 0 }));
    for (const char* text : { "29.02.2023 00:00:00", "31.04.2026 10:00:00", "04.13.2026 10:00:00",
             "04.12.2026 24:00:00", "04.12.2026 14:60:05", "4.12.2026 14:30:05", "04.12.2026 14:30:05 ", "error" })
        EXPECT_FALSE(DateTime::parse(text).has_value()) << text;
}

// UTF-16 names come back exactly, lone surrogates included; a byte that is no character
// becomes U+FFFD. Program paths for the Windows calls: separators folded, "." and ".."
// resolved (never above the drive or share), the long-path form; refused without drive or
// share.
TEST(TextRulesTest, WindowsNamesAndPaths)
{
    const std::pair<std::u16string, std::string> names[] = { { u"Отчёт\U0010FFFF", "Отчёт\U0010FFFF" },
        { { u'a', char16_t(0xDFFF), char16_t(0xD800) }, "a\xED\xBF\xBF\xED\xA0\x80" } };
    for (const auto& [wide, utf8] : names) {
        EXPECT_EQ(win32::fromUtf16(wide), utf8);
        EXPECT_EQ(win32::toUtf16(utf8), wide);
    }
    EXPECT_EQ(win32::toUtf16("a\xFF\xC0\xAF"), u"a\uFFFD\uFFFD\uFFFD");

    const std::pair<const char*, const char*> paths[] = { { "c:", "\\\\?\\c:\\" },
        { "c:/data//sub/", "\\\\?\\c:\\data\\sub" }, { "c:\\..\\..\\data", "\\\\?\\c:\\data" },
        { "c:\\data\\.\\sub\\..\\..", "\\\\?\\c:\\" }, { "\\\\srv\\pub\\..\\..\\x", "\\\\?\\UNC\\srv\\pub\\x" },
        { "", nullptr }, { "data\\x", nullptr }, { "\\\\srv", nullptr }, { "\\\\?\\c:\\x", nullptr } };
    for (const auto& [path, system] : paths) {
        const auto parsed = win32::parseProgramPath(path);
        EXPECT_EQ(parsed ? win32::systemForm(*parsed) : "refused", system ? system : "refused") << path;
    }
    EXPECT_FALSE(win32::parseProgramPath(std::string_view("c:\\a\0b", 6)).has_value());
}

} // namespace
} // namespace nuvero::platform
