#pragma once
// The look of the designed window.
//
// The faces of the coloured keys and drop-down lists, drawn the way the radio has always shown
// them: a key with a colour of its own (the red Distress key, the green Acknowledge, the yellow
// On/Off, the pale yellow Call and Clear keys...) shows exactly that colour, flat, inside a thin
// 3-D edge, light on the top and left, dark on the bottom and right, sunken while it is held down.
// A drop-down list with a colour of its own shows its text on that colour inside a sunken edge,
// with the grey arrow key on its right. Keys and lists left to the system's colours keep the
// system's look. The colour is read at every paint, so a key turned red later shows red.
class QListWidget;
class QWidget;

namespace ctl {

// Gives the push buttons and drop-down lists the faces above: those with a colour of their own (only
// the radio's window has any). Call before the window is made; once is enough.
void useDesignedFaces();

// A list shows every line whole (the directory: name, blanks, MMSI, its last digit included): where
// a line is wider than the list, the letters of all its lines move a little closer together, up to
// a limit, until the longest line fits beside the vertical scroll bar. Lines added later are
// fitted too, those of a hidden list when it is shown.
void fitLinesToWidth(QListWidget* list);

} // namespace ctl
