// COleDateTime: an automation date (days since 30 December 1899, the
// fraction the time of day, whose sign follows the day for earlier dates)
// with a status.
#pragma once

#include "kstypes.h"

class COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    COleDateTime(DATE dtSrc) : m_dt(dtSrc) {}
    // Invalid (status invalid, value 0) when a part is out of range.
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    // The local date and time now, to the second.
    static COleDateTime GetCurrentTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // Sets the value from its parts: years 100 to 9999, a day that exists
    // in its month, hours 0-23, minutes and seconds 0-59. Returns 0 and
    // makes the object invalid otherwise.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    operator DATE() const { return m_dt; }
    COleDateTime& operator=(DATE dtSrc)
    {
        m_dt = dtSrc;
        m_status = valid;
        return *this;
    }

    // Parts of a valid date within the years 100 to 9999, rounded to the
    // second; -1 otherwise.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;

    bool operator==(const COleDateTime& other) const { return m_status == other.m_status && m_dt == other.m_dt; }
    bool operator!=(const COleDateTime& other) const { return !(*this == other); }

    DATE m_dt = 0.0;
    DateTimeStatus m_status = valid;

private:
    struct Parts {
        int year, month, day, hour, minute, second;
    };
    bool parts(Parts& out) const;
};
