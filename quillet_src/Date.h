#ifndef DATE_H
#define DATE_H

// A calendar day: year (four digits), month (1 to 12), day of month (1 to 31).

class Date
{
public:
    Date(int year, int month, int day);

    // The local date now; the caller owns the result.
    static Date* getCurrentDate();

    // Whole years between the two dates' years; months and days are ignored.
    int getYearsOfDifference(Date const& other) const;

    int year = 0;
    int month = 0;
    int day = 0;
};

#endif
