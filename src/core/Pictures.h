#pragma once
// The window's pictures are drawings, turned into pictures at build time at the size each label
// shows them and at twice that size. Shown as they are, they would be blown up, and blurred, on a
// screen scaled to 150 % or 200 %. Here each label gets its picture at its size in device pixels,
// from the larger drawing on a scaled screen, and again whenever the window comes to a screen of
// another scale.
class QWidget;

class QImage;
class QString;

namespace pictures {

// The picture NAME as drawn for scale 1 or 2 (an empty image if there is none).
QImage image(const QString& name, int scale);

// Keeps the pictures of the designed window `form` sharp from now on.
void keepSharp(QWidget* form);

} // namespace pictures
