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
class QWidget;

namespace ctl {

// Gives every push button and drop-down list of `window` the faces above. Call once.
void useDesignedFaces(QWidget* window);

} // namespace ctl
