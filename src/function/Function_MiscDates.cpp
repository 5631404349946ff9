// The Misc family's date members and event_inherited. A date is a real counting days since
// 30 December 1899 00:00 UTC; creating and taking apart read local time, shifting works in UTC.
#include <cerrno>
#include <climits>
#include <cmath>
#include <ctime>

#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "run/Run_Event.h"

namespace {

constexpr double DATE_OF_1970 = 25569; // 1 January 1970 00:00 UTC
constexpr double SECONDS_PER_DAY = 86400;
constexpr size_t DATE_TEXT_SIZE = 1024;

// Half a second is added, so that taking the date apart comes back to the same second.
double DateFromSeconds(int64_t seconds)
{
    return (static_cast<double>(seconds) + 0.5) / SECONDS_PER_DAY + DATE_OF_1970;
}

// Rounded down, not toward zero: a date before 1970 then comes back to the second it was made
// from too. False for a date beyond what 64-bit seconds hold.
bool DateToSeconds(double date, time_t* seconds)
{
    int64_t whole = Numbers_TruncToInt64(std::floor((date - DATE_OF_1970) * SECONDS_PER_DAY));
    if (whole == INT64_MIN) return false;
    *seconds = static_cast<time_t>(whole);
    return true;
}

bool LocalParts(double date, tm* parts)
{
    time_t seconds = 0;
    return DateToSeconds(date, &seconds) && localtime_r(&seconds, parts) != nullptr;
}

bool IsLeapYear(int64_t year)
{
    return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0);
}

// Month 1 to 12.
int32_t MonthLength(int64_t year, int32_t month)
{
    static const int32_t DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : DAYS[month - 1];
}

int32_t DaysBeforeMonth(int64_t year, int32_t month)
{
    int32_t days = 0;
    for (int32_t m = 1; m < month; ++m)
        days += MonthLength(year, m);
    return days;
}

int64_t SecondOfYear(const tm& parts)
{
    int64_t day = DaysBeforeMonth(parts.tm_year + 1900LL, parts.tm_mon + 1) + parts.tm_mday - 1;
    return ((day * 24 + parts.tm_hour) * 60 + parts.tm_min) * 60 + parts.tm_sec;
}

bool FitsInt(int64_t value)
{
    return value >= INT_MIN && value <= INT_MAX;
}

// ---- creating ------------------------------------------------------------------------------------

// Broken-down local time (years since 1900, months from 0) to a date, normalised by the library
// (month 13 is January of the next year). Fields beyond the library's range leave the result 0.
void DateFromLocalFields(ScriptValue* result, const int64_t (&fields)[6])
{
    for (int64_t field : fields)
        if (!FitsInt(field)) return;
    tm parts{};
    parts.tm_year = static_cast<int>(fields[0]);
    parts.tm_mon = static_cast<int>(fields[1]);
    parts.tm_mday = static_cast<int>(fields[2]);
    parts.tm_hour = static_cast<int>(fields[3]);
    parts.tm_min = static_cast<int>(fields[4]);
    parts.tm_sec = static_cast<int>(fields[5]);
    parts.tm_isdst = -1;
    errno = 0;
    time_t seconds = mktime(&parts);
    if (seconds == -1 && errno != 0) return;
    Result_Real(result, DateFromSeconds(seconds));
}

// Years before 1900 count as 1900.
void CreateLocal(ScriptValue* result, int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                 int64_t second)
{
    DateFromLocalFields(result, {year - 1900 < 0 ? 0 : year - 1900, month - 1, day, hour, minute, second});
}

void Builtin_DateCreateDatetime(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CreateLocal(result, Arg_Int(args[0]), Arg_Trunc(args[1]), Arg_Trunc(args[2]), Arg_Trunc(args[3]),
                Arg_Trunc(args[4]), Arg_Trunc(args[5]));
}

void Builtin_DateCreateDate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CreateLocal(result, Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), 0, 0, 0);
}

// The time of day on day 0 (30 December 1899) in local time, as every other date is made: the
// members that take a date apart read local time, so the time given reads back in any zone.
void Builtin_DateCreateTime(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    DateFromLocalFields(result, {-1, 11, 30, Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2])});
}

// ---- validating ----------------------------------------------------------------------------------

// Exactly `count` real arguments, each a whole number.
bool WholeArguments(int32_t argc, const ScriptValue* args, int32_t count, int32_t* out)
{
    if (argc != count) return false;
    for (int32_t i = 0; i < count; ++i) {
        double x = Arg_Real(args[i]);
        if (!Arg_IsReal(args[i]) || !(x == std::floor(x))) return false;
        out[i] = Numbers_TruncToInt32(x);
    }
    return true;
}

bool ValidDate(const int32_t* parts)
{
    return parts[0] >= 0 && parts[1] >= 1 && parts[1] <= 12 && parts[2] >= 1 &&
           parts[2] <= MonthLength(parts[0], parts[1]);
}

// Taken as unsigned, so negatives are invalid.
bool ValidTime(const int32_t* parts)
{
    return static_cast<uint32_t>(parts[0]) <= 23 && static_cast<uint32_t>(parts[1]) <= 59 &&
           static_cast<uint32_t>(parts[2]) <= 59;
}

void Builtin_DateValidDatetime(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    int32_t parts[6];
    Result_Bool(result, WholeArguments(argc, args, 6, parts) && ValidDate(parts) && ValidTime(parts + 3));
}

void Builtin_DateValidDate(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    int32_t parts[3];
    Result_Bool(result, WholeArguments(argc, args, 3, parts) && ValidDate(parts));
}

void Builtin_DateValidTime(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    int32_t parts[3];
    Result_Bool(result, WholeArguments(argc, args, 3, parts) && ValidTime(parts));
}

// ---- shifting ------------------------------------------------------------------------------------

// The date broken down in UTC, one field moved by `amount`, and put together again in UTC (which
// normalises: 31 January plus a month is 3 March). Out of the library's range the result stays 0.
void Shift(ScriptValue* result, const ScriptValue& date, int tm::*field, int64_t amount)
{
    time_t seconds = 0;
    tm parts{};
    if (!DateToSeconds(Arg_Real(date), &seconds) || gmtime_r(&seconds, &parts) == nullptr) return;
    int64_t moved = parts.*field + amount;
    if (!FitsInt(moved)) return;
    parts.*field = static_cast<int>(moved);
    errno = 0;
    time_t shifted = timegm(&parts);
    if (shifted == -1 && errno != 0) return;
    Result_Real(result, DateFromSeconds(shifted));
}

void Builtin_DateIncYear(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_year, Arg_Int(args[1]));
}

void Builtin_DateIncMonth(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_mon, Arg_Int(args[1]));
}

void Builtin_DateIncWeek(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_mday, 7LL * Arg_Int(args[1]));
}

// Days are truncated, not rounded.
void Builtin_DateIncDay(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_mday, Arg_Trunc(args[1]));
}

void Builtin_DateIncHour(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_hour, Arg_Int(args[1]));
}

void Builtin_DateIncMinute(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_min, Arg_Int(args[1]));
}

void Builtin_DateIncSecond(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Shift(result, args[0], &tm::tm_sec, Arg_Int(args[1]));
}

// ---- taking apart --------------------------------------------------------------------------------

// One number from the local breakdown; a date the library cannot break down leaves the result 0.
void LocalNumber(ScriptValue* result, const ScriptValue& date, double (*part)(const tm&))
{
    tm parts{};
    if (LocalParts(Arg_Real(date), &parts)) Result_Real(result, part(parts));
}

#define DATE_GETTER(routine, expression)                                                                     \
    void routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                    \
    {                                                                                                        \
        LocalNumber(result, args[0], [](const tm& p) -> double { return expression; });                      \
    }

DATE_GETTER(Builtin_DateGetYear, p.tm_year + 1900.0)
DATE_GETTER(Builtin_DateGetMonth, p.tm_mon + 1)
DATE_GETTER(Builtin_DateGetWeek, p.tm_yday / 7)
DATE_GETTER(Builtin_DateGetDay, p.tm_mday)
DATE_GETTER(Builtin_DateGetHour, p.tm_hour)
DATE_GETTER(Builtin_DateGetMinute, p.tm_min)
DATE_GETTER(Builtin_DateGetSecond, p.tm_sec)
DATE_GETTER(Builtin_DateGetWeekday, p.tm_wday)
DATE_GETTER(Builtin_DateGetDayOfYear, static_cast<double>(SecondOfYear(p) / 86400 + 1))
DATE_GETTER(Builtin_DateGetHourOfYear, static_cast<double>(SecondOfYear(p) / 3600))
DATE_GETTER(Builtin_DateGetMinuteOfYear, static_cast<double>(SecondOfYear(p) / 60))
DATE_GETTER(Builtin_DateGetSecondOfYear, static_cast<double>(SecondOfYear(p)))
DATE_GETTER(Builtin_DateDaysInMonth, MonthLength(p.tm_year + 1900LL, p.tm_mon + 1))
DATE_GETTER(Builtin_DateDaysInYear, IsLeapYear(p.tm_year + 1900LL) ? 366 : 365)
DATE_GETTER(Builtin_DateLeapYear, IsLeapYear(p.tm_year + 1900LL) ? 1 : 0)

#undef DATE_GETTER

void LocalText(ScriptValue* result, const ScriptValue& date, const char* format)
{
    tm parts{};
    char text[DATE_TEXT_SIZE] = {};
    if (LocalParts(Arg_Real(date), &parts)) std::strftime(text, sizeof text, format, &parts);
    Result_Text(result, text);
}

void Builtin_DateDatetimeString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    LocalText(result, args[0], "%d/%m/%Y %H:%M:%S");
}

void Builtin_DateDateString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    LocalText(result, args[0], "%d/%m/%Y");
}

void Builtin_DateTimeString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    LocalText(result, args[0], "%H:%M:%S");
}

void Builtin_DateIsToday(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    time_t now = std::time(nullptr);
    tm today{};
    tm parts{};
    if (localtime_r(&now, &today) == nullptr || !LocalParts(Arg_Real(args[0]), &parts)) return;
    Result_Bool(result, parts.tm_year == today.tm_year && parts.tm_mon == today.tm_mon &&
                            parts.tm_yday == today.tm_yday);
}

// ---- now, spans and comparisons ------------------------------------------------------------------

// The three give the same value: now, to the second.
void Builtin_DateCurrentDatetime(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, DateFromSeconds(std::time(nullptr)));
}

void Builtin_DateCurrentDate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, DateFromSeconds(std::time(nullptr)));
}

void Builtin_DateCurrentTime(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, DateFromSeconds(std::time(nullptr)));
}

double Span(const ScriptValue* args)
{
    return std::fabs(Arg_Real(args[0]) - Arg_Real(args[1]));
}

void Builtin_DateYearSpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args) / 365.25);
}

void Builtin_DateMonthSpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args) * 12 / 365.25);
}

void Builtin_DateWeekSpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args) / 7);
}

void Builtin_DateDaySpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args));
}

void Builtin_DateHourSpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args) * 24);
}

void Builtin_DateMinuteSpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args) * 1440);
}

void Builtin_DateSecondSpan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Span(args) * 86400);
}

// -1, 0 or 1; NaN compares equal.
double Compare(double a, double b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

double Fraction(double date)
{
    double whole = 0;
    return std::modf(date, &whole);
}

void Builtin_DateCompareDatetime(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Compare(Arg_Real(args[0]), Arg_Real(args[1])));
}

void Builtin_DateCompareDate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Compare(Arg_Trunc(args[0]), Arg_Trunc(args[1])));
}

void Builtin_DateCompareTime(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Compare(Fraction(Arg_Real(args[0])), Fraction(Arg_Real(args[1]))));
}

void Builtin_DateDateOf(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Trunc(args[0]));
}

void Builtin_DateTimeOf(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Fraction(Arg_Real(args[0])));
}

// ---- event_inherited -----------------------------------------------------------------------------

// The parent's handler of the running event, for the same self and other; the dispatcher follows
// the parent chain from there. Nothing without a self, an object or a parent.
void Builtin_EventInherited(ScriptValue* result, CInstance* self, CInstance* other, int32_t, ScriptValue*)
{
    const CObject* object = Object_Data(g_CurrentEventObject);
    if (self == nullptr || object == nullptr || !Object_Exists(object->m_ParentIndex)) return;
    PerformEvent(self, other, object->m_ParentIndex, g_CurrentEventType, g_CurrentEventNumber);
}

const FunctionRow MISC_DATE_ROWS[] = {
    {"date_current_datetime", Builtin_DateCurrentDatetime, 0},
    {"date_current_date", Builtin_DateCurrentDate, 0},
    {"date_current_time", Builtin_DateCurrentTime, 0},
    {"date_create_datetime", Builtin_DateCreateDatetime, 6},
    {"date_create_date", Builtin_DateCreateDate, 3},
    {"date_create_time", Builtin_DateCreateTime, 3},
    {"date_valid_datetime", Builtin_DateValidDatetime, 6},
    {"date_valid_date", Builtin_DateValidDate, 3},
    {"date_valid_time", Builtin_DateValidTime, 3},
    {"date_inc_year", Builtin_DateIncYear, 2},
    {"date_inc_month", Builtin_DateIncMonth, 2},
    {"date_inc_week", Builtin_DateIncWeek, 2},
    {"date_inc_day", Builtin_DateIncDay, 2},
    {"date_inc_hour", Builtin_DateIncHour, 2},
    {"date_inc_minute", Builtin_DateIncMinute, 2},
    {"date_inc_second", Builtin_DateIncSecond, 2},
    {"date_get_year", Builtin_DateGetYear, 1},
    {"date_get_month", Builtin_DateGetMonth, 1},
    {"date_get_week", Builtin_DateGetWeek, 1},
    {"date_get_day", Builtin_DateGetDay, 1},
    {"date_get_hour", Builtin_DateGetHour, 1},
    {"date_get_minute", Builtin_DateGetMinute, 1},
    {"date_get_second", Builtin_DateGetSecond, 1},
    {"date_get_weekday", Builtin_DateGetWeekday, 1},
    {"date_get_day_of_year", Builtin_DateGetDayOfYear, 1},
    {"date_get_hour_of_year", Builtin_DateGetHourOfYear, 1},
    {"date_get_minute_of_year", Builtin_DateGetMinuteOfYear, 1},
    {"date_get_second_of_year", Builtin_DateGetSecondOfYear, 1},
    {"date_year_span", Builtin_DateYearSpan, 2},
    {"date_month_span", Builtin_DateMonthSpan, 2},
    {"date_week_span", Builtin_DateWeekSpan, 2},
    {"date_day_span", Builtin_DateDaySpan, 2},
    {"date_hour_span", Builtin_DateHourSpan, 2},
    {"date_minute_span", Builtin_DateMinuteSpan, 2},
    {"date_second_span", Builtin_DateSecondSpan, 2},
    {"date_compare_datetime", Builtin_DateCompareDatetime, 2},
    {"date_compare_date", Builtin_DateCompareDate, 2},
    {"date_compare_time", Builtin_DateCompareTime, 2},
    {"date_date_of", Builtin_DateDateOf, 1},
    {"date_time_of", Builtin_DateTimeOf, 1},
    {"date_datetime_string", Builtin_DateDatetimeString, 1},
    {"date_date_string", Builtin_DateDateString, 1},
    {"date_time_string", Builtin_DateTimeString, 1},
    {"date_days_in_month", Builtin_DateDaysInMonth, 1},
    {"date_days_in_year", Builtin_DateDaysInYear, 1},
    {"date_leap_year", Builtin_DateLeapYear, 1},
    {"date_is_today", Builtin_DateIsToday, 1},
    {"event_inherited", Builtin_EventInherited, 0},
};

} // namespace

void Function_MiscDates_Register()
{
    Function_AddRows(MISC_DATE_ROWS);
}
