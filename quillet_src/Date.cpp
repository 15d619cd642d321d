#include "Date.h"

#include <cstdlib>
#include <ctime>

Date::Date(int year_, int month_, int day_) : year(year_), month(month_), day(day_)
{
}

Date* Date::getCurrentDate()
{
    time_t const now = time(NULL);
    tm local = {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return new Date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int Date::getYearsOfDifference(Date const& other) const
{
    return abs(year - other.year);
}
