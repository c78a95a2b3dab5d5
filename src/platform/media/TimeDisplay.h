#pragma once

#include "platform/media/MovieTime.h"

#include <QString>

// "HH:MM:SS.mmm" of a movie time, computed in 32-bit floats and truncated field by field; seconds that
// print as 60.000 carry into the minutes (599996/10000 reads "00:01:00.000"). "Indefinite" for an
// indefinite time.
QString makeTimeDisplayFromQTTime(MovieTime time);

// The hours, minutes and seconds of a time as both time texts compute them.
struct TimeDisplayParts {
    int hours = 0;
    int minutes = 0;
    float seconds = 0.0f;
};
TimeDisplayParts timeDisplayParts(const MovieTime& time);
