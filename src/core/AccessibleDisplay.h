#pragma once
// A display label (the channel, the status line, a station's field...) as a screen reader meets it:
// spoken by its name, and what it shows is its value and its text, so that "Channel display" is
// followed by "16".
class QLabel;

// Makes `label` such a display, also when a screen reader already holds the plain label's interface.
void makeDisplay(QLabel* label);
