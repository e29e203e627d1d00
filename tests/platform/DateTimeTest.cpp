#include "platform/DateTime.h"

#include <gtest/gtest.h>

using nuvero::CalendarTime;
using nuvero::DateTime;

namespace {

TEST(DateTimeTest, DayCountsAndRowTexts)
{
    // Days since 30 December 1899, as the classic date value counts them, and the row's
    // Time text: zero-padded, two spaces, milliseconds left out.
    const struct {
        CalendarTime date;
        double days;
        const char* rowText;
    } cases[] = {
        { { 1899, 12, 30, 0, 0, 0, 0 }, 0.0, "30.12.1899  00:00:00" },
        { { 1900, 1, 1, 0, 0, 0, 0 }, 2.0, "01.01.1900  00:00:00" },
        { { 2000, 1, 1, 0, 0, 0, 0 }, 36526.0, "01.01.2000  00:00:00" },
        { { 2000, 1, 1, 12, 0, 0, 0 }, 36526.5, "01.01.2000  12:00:00" },
        { { 1899, 12, 29, 0, 0, 0, 0 }, -1.0, "29.12.1899  00:00:00" },
        { { 2024, 3, 1, 9, 5, 7, 0 }, 45352.37855324074, "01.03.2024  09:05:07" },
        { { 2026, 12, 5, 7, 3, 9, 999 }, 46361.29386572917, "05.12.2026  07:03:09" },
    };
    for (const auto& c : cases) {
        const DateTime t = DateTime::fromCalendar(c.date);
        EXPECT_DOUBLE_EQ(t.days(), c.days) << c.rowText;
        EXPECT_EQ(t.calendar(), c.date) << c.rowText;
        EXPECT_EQ(t.rowText(), c.rowText);
    }
    EXPECT_EQ(DateTime().rowText(), "30.12.1899  00:00:00");
}

TEST(DateTimeTest, CalendarRoundTripsAcrossLeapYearsAndCenturies)
{
    for (int year : { 1601, 1900, 1999, 2000, 2024, 2100, 9999 }) {
        for (int month = 1; month <= 12; ++month) {
            const CalendarTime f { year, month, month == 2 ? 28 : 30, 23, 59, 58, 999 };
            EXPECT_EQ(DateTime::fromCalendar(f).calendar(), f) << year << "-" << month;
        }
    }
    const CalendarTime leap { 2024, 2, 29, 0, 0, 0, 0 };
    EXPECT_EQ(DateTime::fromCalendar(leap).calendar(), leap);
}

TEST(DateTimeTest, ParsesOnlyTheProgramsOwnFormat)
{
    const std::pair<const char*, CalendarTime> valid[] = {
        { "04.12.2026 14:30:05", { 2026, 12, 4, 14, 30, 5, 0 } },
        { "04.12.2026  14:30:05", { 2026, 12, 4, 14, 30, 5, 0 } },
        { "29.02.2024 00:00:00", { 2024, 2, 29, 0, 0, 0, 0 } },
    };
    for (const auto& [text, fields] : valid) {
        const auto parsed = DateTime::parse(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(parsed->calendar(), fields) << text;
    }
    for (const char* text :
        { "29.02.2023 00:00:00", "31.04.2026 10:00:00", "04.12.2026 24:00:00", "04.12.2026 14:60:05",
            "4.12.2026 14:30:05", "04.12.2026", "04.12.2026 14:30:05 ", "error", "", "2026-12-04 14:30:05" })
        EXPECT_FALSE(DateTime::parse(text).has_value()) << text;
}

} // namespace
