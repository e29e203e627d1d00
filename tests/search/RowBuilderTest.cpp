#include "search/RowBuilder.h"
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace nuvero {
namespace {

struct SizeCase {
    std::uint64_t bytes;
    SizeUnit unit;
    const char* text;
};

class SizeTextTest : public ::testing::TestWithParam<SizeCase> { };

TEST_P(SizeTextTest, DividesAndDropsTheRemainder)
{
    const SizeCase& c = GetParam();
    EXPECT_EQ(sizeText(c.bytes, c.unit), c.text);
}

constexpr std::uint64_t GiB = 1024ull * 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(Units, SizeTextTest,
    ::testing::Values(SizeCase { 0, SizeUnit::Bytes, "0 bytes" }, SizeCase { 1023, SizeUnit::Bytes, "1023 bytes" },
        SizeCase { 1023, SizeUnit::KBytes, "0 KBytes" }, SizeCase { 1024, SizeUnit::KBytes, "1 KBytes" },
        SizeCase { 1536, SizeUnit::KBytes, "1 KBytes" }, SizeCase { 2047, SizeUnit::KBytes, "1 KBytes" },
        SizeCase { 0, SizeUnit::KBytes, "0 KBytes" }, SizeCase { 5000000, SizeUnit::MBytes, "4 MBytes" },
        SizeCase { 1024 * 1024 - 1, SizeUnit::MBytes, "0 MBytes" }, SizeCase { GiB - 1, SizeUnit::GBytes, "0 GBytes" },
        // Full 64-bit sizes: no wrap at 2 or 4 GiB.
        SizeCase { 2 * GiB, SizeUnit::Bytes, "2147483648 bytes" },
        SizeCase { 5 * GiB, SizeUnit::KBytes, "5242880 KBytes" },
        SizeCase { 5 * GiB + 1, SizeUnit::GBytes, "5 GBytes" },
        SizeCase { UINT64_MAX, SizeUnit::Bytes, "18446744073709551615 bytes" },
        SizeCase { UINT64_MAX, SizeUnit::GBytes, "17179869183 GBytes" }));

struct TimeCase {
    CalendarTime fields;
    const char* text;
};

class RowTimeTest : public ::testing::TestWithParam<TimeCase> { };

TEST_P(RowTimeTest, IsZeroPaddedWithTwoSpaces)
{
    const TimeCase& c = GetParam();
    const DateTime moment = DateTime::fromCalendar(c.fields);
    const auto cells = rowTimeCells(moment);
    EXPECT_EQ(std::string(cells.data(), cells.size()), c.text);
    EXPECT_EQ(std::string(cells.data(), cells.size()), moment.rowText());
}

INSTANTIATE_TEST_SUITE_P(Moments, RowTimeTest,
    ::testing::Values(TimeCase { { 2024, 3, 1, 9, 5, 7, 0 }, "01.03.2024  09:05:07" },
        TimeCase { { 2023, 12, 5, 7, 3, 9, 999 }, "05.12.2023  07:03:09" },
        TimeCase { { 1999, 12, 31, 23, 59, 59, 0 }, "31.12.1999  23:59:59" },
        TimeCase { { 1899, 12, 30, 0, 0, 0, 0 }, "30.12.1899  00:00:00" },
        TimeCase { { 2000, 2, 29, 12, 0, 0, 0 }, "29.02.2000  12:00:00" },
        TimeCase { { 1601, 1, 1, 0, 0, 1, 0 }, "01.01.1601  00:00:01" }));

TEST(DirCellTest, OnlyTheBareDirectoryFlagReadsDir)
{
    EXPECT_TRUE(isDirCell(16));
    EXPECT_FALSE(isDirCell(16 | 1)); // read-only folder
    EXPECT_FALSE(isDirCell(16 | 2)); // hidden folder
    EXPECT_FALSE(isDirCell(32));
    EXPECT_FALSE(isDirCell(0));
}

TEST(MakeRowTest, FillsEveryCellAndSharesThePath)
{
    const SharedText path = makeSharedText("c:\\data");
    platform::DirEntry entry;
    entry.name = "report.txt";
    entry.attributes = 32;
    entry.size = 3 * 1024 + 5;
    const DateTime moment = DateTime::fromCalendar({ 2024, 5, 6, 7, 8, 9, 0 });
    const ResultRow row = makeRow(path, entry, moment, SizeUnit::KBytes);
    EXPECT_EQ(row.path.get(), path.get());
    EXPECT_EQ(row.name, "report.txt");
    EXPECT_EQ(row.timeText(), "06.05.2024  07:08:09");
    EXPECT_EQ(row.size, "3 KBytes");
    EXPECT_EQ(row.dirText(), " ");
    EXPECT_EQ(row.fullPath(), "c:\\data\\report.txt");

    entry.attributes = 16;
    entry.size = 0;
    EXPECT_EQ(makeRow(path, entry, moment, SizeUnit::MBytes).dirText(), "DIR");
    EXPECT_EQ(makeRow(path, entry, moment, SizeUnit::MBytes).size, "0 MBytes");
}

} // namespace
} // namespace nuvero
