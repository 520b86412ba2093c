#pragma once
// The microphone's level as a bar, drawn in code: beside the talk key while it is held, and in the
// microphone test. Each captured block moves it; the loudest block stays shown for kHoldMs, so
// that a word's peak can be read. Three zones along the bar: too quiet (grey, left of -40 dBFS),
// good (green) and clipping (red, a block with a sample at full scale). The zone shown is also in
// the tooltip and told to screen readers when it changes.
#include "voice/Level.h"

#include <QWidget>

namespace screens {

class MicLevelBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHoldMs = 500;
    // The bar's scale: its left end and its right end (full scale).
    static constexpr double kFloorDbfs = -60.0;
    static constexpr double kTopDbfs = 0.0;

    explicit MicLevelBar(QWidget* parent = nullptr);

    // A block captured at `nowMs` (any clock's milliseconds, the same for every call).
    void setBlock(const voice::BlockLevel& block, qint64 nowMs);
    // Empty: nothing being heard.
    void clear();

    bool empty() const { return empty_; }
    // What the bar shows now: the held level and its zone.
    double shownDbfs() const { return held_.dbfs; }
    voice::Loudness zone() const { return held_.zone(); }
    // "Too quiet", "Good", "Clipping", or "" when empty.
    QString zoneText() const;

    QSize sizeHint() const override { return {140, 20}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void describe();
    double fraction(double dbfs) const;

    bool empty_ = true;
    voice::BlockLevel held_;
    qint64 heldAtMs_ = 0;
    QString described_;
};

} // namespace screens
