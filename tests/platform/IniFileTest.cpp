#include "platform/IniFile.h"

#include <gtest/gtest.h>

using nuvero::platform::IniFile;

namespace {

TEST(IniFileTest, ReadsValuesTheWayTheProfileFunctionsDo)
{
    const IniFile ini = IniFile::parse("; comment\r\n"
                                       "[S]\r\n"
                                       "  A = 04.12.2026 14:30:05  \r\n"
                                       "a=second value is ignored\r\n"
                                       "quoted=\"  kept blanks  \"\r\n"
                                       "no equals sign here\r\n"
                                       "[other]\n"
                                       "a=x\n");
    EXPECT_EQ(ini.value("s", "a"), "04.12.2026 14:30:05");
    EXPECT_EQ(ini.value("S", "quoted"), "  kept blanks  ");
    EXPECT_EQ(ini.value("other", "A"), "x");
    EXPECT_FALSE(ini.value("s", "missing").has_value());
    EXPECT_FALSE(ini.value("missing", "a").has_value());
}

TEST(IniFileTest, KeysBeforeAnySectionAndGarbageAreIgnored)
{
    static const char raw[] = "\x00\xFF[s\x01]\n\x7F=\x80\n[s]\na=\xFF\xFE\n";
    const std::string binary(raw, sizeof raw - 1);
    const IniFile ini = IniFile::parse(binary);
    EXPECT_EQ(ini.value("s", "a"), "\xFF\xFE");
    EXPECT_TRUE(IniFile::parse("a=1\n[s\nb=2").section("s").empty());
    EXPECT_TRUE(IniFile::parse("").section("drives").empty());
}

TEST(IniFileTest, SectionKeepsFileOrderAndReopenedSectionsMerge)
{
    const IniFile ini = IniFile::parse("[drives]\nd=/home\n[x]\n[DRIVES]\nc=/\n");
    const auto entries = ini.section("drives");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (IniFile::Entry { "d", "/home" }));
    EXPECT_EQ(entries[1], (IniFile::Entry { "c", "/" }));
}

} // namespace
