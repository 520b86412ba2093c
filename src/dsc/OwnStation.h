#pragma once
#include <QString>
struct Context;
class QObject;
class QEvent;

// Own MMSI, manual or GPS time and position, the time differential and the clock tick.
class OwnStation {
public:
    explicit OwnStation(Context& ctx) : c(ctx) {}
    void wire();

    void txtMMSI_LostFocus();
    void txtLatLon_Change();
    void txtTime_LostFocus();
    void GPSOn_Click();
    void GPSOff_Click();
    void Timer1_Timer();
    // Writes the call time text into the second vessel's "Date Time" field.
    void GetTime();

private:
    Context& c;
    bool mmsiCheckRunning_ = false;
    bool timeCheckRunning_ = false;
    int positionCheckDepth_ = 0;
};
