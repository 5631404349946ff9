// The date members under a UTC zone and a zone with daylight saving (POSIX rules, no zone
// database), dates before 1970 and dates no calendar holds. (event_inherited is played by the
// end-to-end game of the built-ins, which has the objects it needs.)
#include "Function_TestCases.h"

#include <climits>
#include <cmath>

namespace {

using functiontest::BuiltinTest;
using functiontest::ExpectCases;
using testsupport::CallReal;

const char* const CENTRAL_EUROPE = "CET-1CEST,M3.5.0,M10.5.0/3";

double Date(double y, double m, double d, double h = 0, double mi = 0, double s = 0)
{
    return CallReal("date_create_datetime", {y, m, d, h, mi, s});
}

TEST(MiscDates, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "date_* current_datetime:0 current_date:0 current_time:0 create_datetime:6 create_date:3 create_time:3 "
        "valid_datetime:6 valid_date:3 valid_time:3 inc_year:2 inc_month:2 inc_week:2 inc_day:2 inc_hour:2 "
        "inc_minute:2 inc_second:2 get_year:1 get_month:1 get_week:1 get_day:1 get_hour:1 get_minute:1 "
        "get_second:1 get_weekday:1 get_day_of_year:1 get_hour_of_year:1 get_minute_of_year:1 "
        "get_second_of_year:1 year_span:2 month_span:2 week_span:2 day_span:2 hour_span:2 minute_span:2 "
        "second_span:2 compare_datetime:2 compare_date:2 compare_time:2 date_of:1 time_of:1 datetime_string:1 "
        "date_string:1 time_string:1 days_in_month:1 days_in_year:1 leap_year:1 is_today:1 * event_inherited:0");
}

TEST_F(BuiltinTest, DatesInUtcAreMadeTakenApartShiftedAndPrinted)
{
    Zone("UTC");
    double epoch = Date(1970, 1, 1);
    EXPECT_EQ(epoch, 25569 + 0.5 / 86400);
    double march = CallReal("date_create_date", {2013, 3, 5});
    double morning = Date(2013, 1, 1, 10, 0, 0);
    double clock = Date(1970, 1, 2, 1, 2, 3);
    ExpectCases({
        {"date_get_year", {epoch}, 1970}, {"date_get_second", {epoch}, 0}, {"date_get_weekday", {epoch}, 4},
        {"date_date_string", {march}, "05/03/2013"}, {"date_time_string", {Date(2013, 3, 5, 7, 8, 9)}, "07:08:09"},
        {"date_datetime_string", {Date(2013, 3, 5, 7, 8, 9)}, "05/03/2013 07:08:09"},
        {"date_date_string", {CallReal("date_inc_month", {Date(2013, 1, 31), 1})}, "03/03/2013"},
        {"date_date_string", {CallReal("date_inc_month", {Date(2012, 1, 31), 1})}, "02/03/2012"},
        {"date_date_string", {CallReal("date_inc_year", {Date(2012, 2, 29), 1})}, "01/03/2013"},
        {"date_date_string", {CallReal("date_inc_week", {march, -1})}, "26/02/2013"},
        {"date_date_string", {Date(2013, 13, 1)}, "01/01/2014"},
        {"date_get_day", {CallReal("date_inc_day", {march, 1.9})}, 6},
        {"date_get_hour", {CallReal("date_inc_hour", {morning, 1.5})}, 12},
        {"date_get_hour", {CallReal("date_inc_hour", {morning, 2.5})}, 12},
        {"date_get_minute", {CallReal("date_inc_minute", {morning, 61})}, 1},
        {"date_get_second", {CallReal("date_inc_second", {morning, -1})}, 59},
        {"date_get_week", {Date(2013, 1, 7)}, 0}, {"date_get_week", {Date(2013, 1, 8)}, 1},
        {"date_get_day_of_year", {clock}, 2}, {"date_get_hour_of_year", {clock}, 25},
        {"date_get_minute_of_year", {clock}, 1502}, {"date_get_second_of_year", {clock}, 90123},
        {"date_days_in_month", {Date(2012, 2, 10)}, 29}, {"date_days_in_month", {Date(2013, 2, 1)}, 28},
        {"date_days_in_year", {Date(2012, 5, 1)}, 366}, {"date_leap_year", {Date(1900, 6, 1)}, 0},
        {"date_get_year", {Date(1800, 6, 1)}, 1900},
    });
}

TEST_F(BuiltinTest, ValidationSpansAndComparisons)
{
    ExpectCases({
        {"date_valid_date", {2012, 2, 29}, 1}, {"date_valid_date", {2013, 2, 29}, 0},
        {"date_valid_date", {1900, 2, 29}, 0}, {"date_valid_date", {2000, 2, 29}, 1},
        {"date_valid_date", {2012, 2.5, 1}, 0}, {"date_valid_date", {-1, 1, 1}, 0}, {"date_valid_date", {NAN, 1, 1}, 0},
        {"date_valid_date", {2012, 13, 1}, 0}, {"date_valid_date", {2012, 1, "1"}, 0},
        {"date_valid_time", {24, 0, 0}, 0}, {"date_valid_time", {23, 59, 59}, 1}, {"date_valid_time", {0, -1, 0}, 0},
        {"date_valid_datetime", {2012, 2, 29, 23, 59, 59}, 1}, {"date_valid_datetime", {2012, 2, 29, 23, 60, 0}, 0},
        {"date_year_span", {0, 365.25}, 1}, {"date_month_span", {365.25, 0}, 12}, {"date_week_span", {0, 14}, 2},
        {"date_day_span", {3, 1}, 2}, {"date_hour_span", {1, 0.5}, 12}, {"date_minute_span", {0, 0.5}, 720},
        {"date_second_span", {0, 1}, 86400},
        {"date_compare_datetime", {1, 2}, -1}, {"date_compare_datetime", {NAN, 1}, 0},
        {"date_compare_date", {1.2, 1.9}, 0}, {"date_compare_date", {3.5, 2.9}, 1},
        {"date_compare_time", {1.2, 2.3}, -1}, {"date_compare_time", {1.5, 7.5}, 0},
        {"date_date_of", {25569.75}, 25569}, {"date_time_of", {25569.75}, 0.75}, {"date_date_of", {1e300}, INT_MIN},
    });
}

// Before 1970 a date still comes back to the second it was made from.
TEST_F(BuiltinTest, ANineteenFiftyDateTakenApart)
{
    for (const char* rule : {"UTC", CENTRAL_EUROPE}) {
        Zone(rule);
        double date = Date(1950, 6, 15, 13, 45, 30);
        if (std::string(rule) == "UTC") {
            EXPECT_NEAR(date, 18429 + 49530.5 / 86400, 1e-9);
        }
        ExpectCases({
            {"date_get_year", {date}, 1950}, {"date_get_month", {date}, 6}, {"date_get_day", {date}, 15},
            {"date_get_hour", {date}, 13}, {"date_get_minute", {date}, 45}, {"date_get_second", {date}, 30},
            {"date_get_weekday", {date}, 4}, {"date_get_day_of_year", {date}, 166}, {"date_get_week", {date}, 23},
            {"date_datetime_string", {date}, "15/06/1950 13:45:30"},
        });
    }
}

// Parts are read as local time; shifting keeps the UTC clock, so a day across the change to summer
// time moves the local hour.
TEST_F(BuiltinTest, LocalTimeWithDaylightSaving)
{
    Zone(CENTRAL_EUROPE);
    EXPECT_NEAR(std::fmod(Date(2013, 7, 1, 12), 1), 10 / 24.0, 1e-5) << "summer: two hours ahead of UTC";
    EXPECT_NEAR(std::fmod(Date(2013, 1, 15, 12), 1), 11 / 24.0, 1e-5) << "winter: one hour ahead";
    double dayAfter = CallReal("date_inc_day", {Date(2013, 3, 30, 12), 1});
    ExpectCases({{"date_get_hour", {dayAfter}, 13}, {"date_date_string", {dayAfter}, "31/03/2013"}});
}

TEST_F(BuiltinTest, TimesNowAndDatesBeyondTheCalendar)
{
    Zone("UTC");
    double time = CallReal("date_create_time", {10, 30, 15});
    double now = CallReal("date_current_datetime", {});
    EXPECT_NEAR(now, (static_cast<double>(std::time(nullptr)) + 0.5) / 86400 + 25569, 3.0 / 86400);
    for (const char* name : {"date_current_date", "date_current_time"})
        EXPECT_NEAR(CallReal(name, {}), now, 3.0 / 86400) << name;
    ExpectCases({
        {"date_time_of", {time}, 37815.5 / 86400}, {"date_date_of", {time}, 0}, {"date_get_hour", {time}, 10},
        {"date_get_second", {time}, 15}, {"date_is_today", {now}, 1}, {"date_is_today", {now - 1}, 0},
        {"date_get_year", {1e300}, 0}, {"date_get_month", {NAN}, 0}, {"date_inc_day", {1e300, 1}, 0},
        {"date_inc_year", {25569, 2147483600}, 0}, {"date_date_string", {NAN}, ""}, {"date_is_today", {-1e300}, 0},
        {"date_create_datetime", {2013, 1e12, 1, 0, 0, 0}, 0}, {"date_days_in_month", {INFINITY}, 0},
    });
}

} // namespace
