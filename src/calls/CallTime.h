#pragma once
#include <QString>
#include <QTime>
struct Context;

// The date and time written into the stations' date fields by every sender and by GetTime:
// with the GPS on, local date and time plus the differential of txtUTC in the general date-and-time
// format; otherwise today's date as mm-dd-yyyy, a space and the manual time of txtTime.
QString callTimeText(Context& c);
// The GPS time in UTC (by the differential), hours and minutes.
QTime gpsTimeUtc(Context& c);
// The time a call carries on the air (UTC, hours and minutes): with the GPS on, by the
// differential; otherwise the manual time as entered. Invalid when there is none.
QTime callTimeUtc(Context& c);
// Writes the call time text into the second vessel's "Date Time" field (txtBC5).
void GetTime(Context& c);
