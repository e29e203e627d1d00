// Text rules of the platform layer that need no file system: date-times as the program
// stores and shows them, and names and paths as the Windows back end hands them to the
// system (built everywhere, so they are checked in every build).

#include "platform/DateTime.h"
#include "platform/win32/ProgramPath.h"
#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

namespace nuvero::platform {
namespace {

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
        { { 2000, 12, 31, 12, 0, 0, 0 }, 36891.5, "31.12.2000  12:00:00" },
        { { 2024, 2, 29, 9, 5, 7, 999 }, 45351.37856480324, "29.02.2024  09:05:07" } };
    for (const auto& c : cases) {
        const DateTime t = DateTime::fromCalendar(c.date);
        EXPECT_DOUBLE_EQ(t.days(), c.days) << c.rowText;
        EXPECT_EQ(t.rowText(), c.rowText);
        EXPECT_EQ(DateTime::parse(c.rowText), DateTime::fromMsecs(t.msecs() - c.date.millisecond)) << c.rowText;
    }
    EXPECT_EQ(DateTime::parse("31.01.2026 14:30:05")->calendar(), (CalendarTime { 2026, 1, 31, 14, 30, 5, 0 }));
    for (const char* text : { "29.02.2023 00:00:00", "32.01.2026 10:00:00", "31.04.2026 10:00:00",
             "04.13.2026 10:00:00", "04.12.2026 24:00:00", "04.12.2026 14:60:05", "04.12.2026 14:30:60",
             "4.12.2026 14:30:05", "04.12.2026", "04.12.2026 14:30:05 ", "04.12.2026 14:30", "error" })
        EXPECT_FALSE(DateTime::parse(text).has_value()) << text;
}

// UTF-16 names come back exactly, lone surrogates included; a byte that is no character
// becomes U+FFFD.
TEST(TextRulesTest, WideNames)
{
    const std::pair<std::u16string, std::string> cases[] = { { u"\u007F\u0080\u07FF\u0800\uFFFF",
                                                                 "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF" },
        { u"\u041E\u0442\u0447\u0451\u0442.doc", "Отчёт.doc" }, { u"\U00010000\U0010FFFF", "\U00010000\U0010FFFF" },
        { { u'a', char16_t(0xDFFF), char16_t(0xD800), char16_t(0xD83D) }, "a\xED\xBF\xBF\xED\xA0\x80\xED\xA0\xBD" } };
    for (const auto& [wide, utf8] : cases) {
        EXPECT_EQ(win32::fromUtf16(wide), utf8);
        EXPECT_EQ(win32::toUtf16(utf8), wide);
    }
    EXPECT_EQ(win32::toUtf16("a\xFF\xC3"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(win32::toUtf16("\xC0\xAF\xED\xA0"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

// Program paths resolved for the Windows calls: separators folded, "." and ".." resolved
// (never above the drive or share), the long-path form; refused without drive or share.
TEST(TextRulesTest, WindowsProgramPaths)
{
    const std::pair<const char*, const char*> cases[] = { { "c:", "\\\\?\\c:\\" }, { "C:/", "\\\\?\\C:\\" },
        { "c:data", "\\\\?\\c:\\data" }, { "c:/data//sub/", "\\\\?\\c:\\data\\sub" },
        { "c:\\data\\.\\sub\\..", "\\\\?\\c:\\data" }, { "c:\\..\\..\\data", "\\\\?\\c:\\data" },
        { "c:\\data\\..", "\\\\?\\c:\\" }, { "c:\\con\\name. ", "\\\\?\\c:\\con\\name. " },
        { "\\\\srv\\pub", "\\\\?\\UNC\\srv\\pub\\" }, { "//srv/pub/docs/", "\\\\?\\UNC\\srv\\pub\\docs" },
        { "\\\\srv\\pub\\..\\..\\x", "\\\\?\\UNC\\srv\\pub\\x" }, { "", nullptr }, { "c", nullptr },
        { "data\\x", nullptr }, { "\\data", nullptr }, { "1:\\x", nullptr }, { "\\\\srv", nullptr },
        { "\\\\srv\\", nullptr }, { "\\\\..\\pub", nullptr }, { "\\\\?\\c:\\x", nullptr },
        { "\\\\.\\pipe\\x", nullptr } };
    for (const auto& [path, system] : cases) {
        const auto parsed = win32::parseProgramPath(path);
        EXPECT_EQ(parsed ? win32::systemForm(*parsed) : "refused", system ? system : "refused") << path;
        EXPECT_TRUE(!parsed || parsed->isRoot == (parsed->text.back() == '\\')) << path;
    }
    EXPECT_FALSE(win32::parseProgramPath(std::string_view("c:\\a\0b", 6)).has_value());
}

} // namespace
} // namespace nuvero::platform
