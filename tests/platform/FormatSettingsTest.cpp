#include "platform/text/ConvertError.h"
#include "platform/text/FormatSettings.h"

#include <gtest/gtest.h>

using namespace zv;

namespace {

// The text of the ConvertError that parsing the text throws, or "parsed".
template <auto parse>
std::string parseError(const FormatSettings& settings, const std::string& text)
{
    try {
        static_cast<void>((settings.*parse)(text));
    } catch (const ConvertError& error) {
        return error.what();
    }
    return "parsed";
}

constexpr auto dateError = parseError<&FormatSettings::parseDate>;
constexpr auto timeError = parseError<&FormatSettings::parseTime>;

} // namespace

TEST(FormatSettingsFormatting, DateIsAlwaysTenCharactersInTheLocalesOrder)
{
    FormatSettings settings;
    EXPECT_EQ(settings.formatDate({2007, 4, 1}), "01.04.2007");
    settings.setDateOrder(DateOrder::MonthDayYear);
    settings.setDateSeparator('/');
    EXPECT_EQ(settings.formatDate({2007, 4, 1}), "04/01/2007");
    EXPECT_EQ(settings.shortDateFormat(), "mm/dd/yyyy");
    settings.setDateOrder(DateOrder::YearMonthDay);
    settings.setDateSeparator('-');
    EXPECT_EQ(settings.formatDate({987, 12, 31}), "0987-12-31");
}

TEST(FormatSettingsFormatting, TimeHourIsNotPadded)
{
    FormatSettings settings;
    EXPECT_EQ(settings.formatTime({1, 30, 0, 999}), "1:30:00");
    EXPECT_EQ(settings.formatTime({23, 5, 9, 0}), "23:05:09");
    settings.setTimeSeparator('.');
    EXPECT_EQ(settings.formatTime({0, 0, 0, 0}), "0.00.00");
}

TEST(FormatSettingsFormatting, TimeStampIsDateBlankTime)
{
    const FormatSettings settings;
    EXPECT_EQ(settings.timeStamp({{2007, 4, 14}, {1, 30, 0, 0}}), "14.04.2007 1:30:00");
}

TEST(FormatSettingsFormatting, SystemLocaleAlwaysGivesATenCharacterDate)
{
    const FormatSettings settings = FormatSettings::fromSystemLocale();
    EXPECT_EQ(settings.formatDate({2007, 4, 1}).size(), 10u);
    EXPECT_EQ(settings.parseDate(settings.formatDate({2007, 4, 1})), (Date{2007, 4, 1}));
    EXPECT_FALSE(settings.decimalSeparator().empty());
}

TEST(FormatSettingsDateParsing, AcceptsWhatAPersonTypes)
{
    const FormatSettings settings;
    EXPECT_EQ(settings.parseDate("14.04.2007"), (Date{2007, 4, 14}));
    EXPECT_EQ(settings.parseDate("1.4.2007"), (Date{2007, 4, 1}));
    EXPECT_EQ(settings.parseDate("01.4.2007"), (Date{2007, 4, 1}));
    EXPECT_EQ(settings.parseDate("29.02.2008"), (Date{2008, 2, 29}));
    EXPECT_EQ(settings.parseDate("29.02.2000"), (Date{2000, 2, 29}));
    EXPECT_EQ(settings.parseDate(" 3.5.07 "), (Date{2007, 5, 3}));
}

TEST(FormatSettingsDateParsing, FollowsTheConfiguredOrderAndSeparator)
{
    const FormatSettings us(DateOrder::MonthDayYear, '/', ':', ".");
    EXPECT_EQ(us.parseDate("04/14/2007"), (Date{2007, 4, 14}));
    EXPECT_EQ(dateError(us, "14.04.2007"), "'14.04.2007' is not a valid date");
    const FormatSettings iso(DateOrder::YearMonthDay, '-', ':', ".");
    EXPECT_EQ(iso.parseDate("2007-4-14"), (Date{2007, 4, 14}));
}

TEST(FormatSettingsDateParsing, RejectsImpossibleAndMalformedDates)
{
    const FormatSettings settings;
    for (const char* text : {"31.02.2007", "29.02.2007", "29.02.1900", "00.01.2007", "01.13.2007",
                             "01.00.2007", "", " ", "10.10", "10.10.2007.1", "a.10.2007",
                             "10..2007", "1.1.207", "1.1.20071", "100.1.2007",
                             "+1.1.2007", "-1.1.2007", "01.01.0000"}) {
        EXPECT_EQ(dateError(settings, text), "'" + std::string(text) + "' is not a valid date")
            << text;
    }
}

TEST(FormatSettingsDateParsing, ControlBytesAndLongTextsAreRejected)
{
    const FormatSettings settings;
    const std::string withNul("01.0\0.2007", 10);
    EXPECT_NE(dateError(settings, withNul), "parsed");
    EXPECT_NE(dateError(settings, std::string(5000, '1')), "parsed");
    EXPECT_NE(dateError(settings, "\xff\xfe.01.2007"), "parsed");
}

TEST(FormatSettingsTimeParsing, AcceptsHoursMinutesAndOptionalSeconds)
{
    const FormatSettings settings;
    EXPECT_EQ(settings.parseTime("0:00"), (TimeOfDay{0, 0, 0, 0}));
    EXPECT_EQ(settings.parseTime("9:05:00"), (TimeOfDay{9, 5, 0, 0}));
    EXPECT_EQ(settings.parseTime("12:34:56"), (TimeOfDay{12, 34, 56, 0}));
    EXPECT_EQ(settings.parseTime("23:59:59"), (TimeOfDay{23, 59, 59, 0}));
    EXPECT_EQ(settings.parseTime("07:5:3"), (TimeOfDay{7, 5, 3, 0}));
}

TEST(FormatSettingsTimeParsing, RejectsImpossibleAndMalformedTimes)
{
    const FormatSettings settings;
    for (const char* text : {"25:00", "24:00:00", "12:60:00", "12:00:60", "007 0:00", "12",
                             "", "1:2:3:4", "12:00:", ":12:00", "123:00", "1 2:00", "ab:cd"}) {
        EXPECT_EQ(timeError(settings, text), "'" + std::string(text) + "' is not a valid time")
            << text;
    }
}

TEST(FormatSettingsTimeParsing, UsesTheConfiguredSeparator)
{
    const FormatSettings dotted(DateOrder::DayMonthYear, '.', '.', ",");
    EXPECT_EQ(dotted.parseTime("9.05.00"), (TimeOfDay{9, 5, 0, 0}));
    EXPECT_NE(timeError(dotted, "9:05:00"), "parsed");
}
