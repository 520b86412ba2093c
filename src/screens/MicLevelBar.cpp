#include "screens/MicLevelBar.h"

#include "core/Accessibility.h"

#include <QPainter>

#include <algorithm>

namespace screens {

namespace {
const QColor kQuiet(150, 150, 150);
const QColor kGood(0, 170, 0);
const QColor kClipping(220, 0, 0);
const QColor kTrough(40, 40, 50);
} // namespace

MicLevelBar::MicLevelBar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    describe();
}

void MicLevelBar::setBlock(const voice::BlockLevel& block, qint64 nowMs) {
    // The level shown is held for kHoldMs: a quieter block meanwhile does not take the bar, a
    // louder one (or a clipped one) does at once; a clipped one is held over any other.
    const bool holding = !empty_ && nowMs - heldAtMs_ < kHoldMs;
    const bool clipped = block.zone() == voice::Loudness::Clipped;
    if (holding && !clipped && (held_.zone() == voice::Loudness::Clipped || block.dbfs < held_.dbfs)) return;
    held_ = block;
    heldAtMs_ = nowMs;
    empty_ = false;
    describe();
    update();
}

void MicLevelBar::clear() {
    if (empty_) return;
    empty_ = true;
    held_ = {};
    describe();
    update();
}

QString MicLevelBar::zoneText() const {
    if (empty_) return {};
    switch (held_.zone()) {
    case voice::Loudness::TooQuiet: return QStringLiteral("Too quiet");
    case voice::Loudness::Good: return QStringLiteral("Good");
    case voice::Loudness::Clipped: return QStringLiteral("Clipping");
    }
    return {};
}

double MicLevelBar::fraction(double dbfs) const {
    return std::clamp((dbfs - kFloorDbfs) / (kTopDbfs - kFloorDbfs), 0.0, 1.0);
}

void MicLevelBar::describe() {
    const QString zone = zoneText();
    const QString text = zone.isEmpty() ? QStringLiteral("Nothing heard") : zone;
    if (text == described_) return;
    described_ = text;
    setToolTip(zone.isEmpty() ? QStringLiteral("Microphone level: shown while you talk")
                              : QStringLiteral("Microphone level: %1").arg(zone.toLower()));
    nameControl(this, QStringLiteral("Microphone level"), text);
}

void MicLevelBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, kTrough);
    const int w = r.width() - 2, h = r.height() - 2;
    // The zones' scale along the bottom: grey up to the quiet mark, green to full scale, a red tip.
    const int quietX = 1 + int(fraction(voice::kTooQuietDbfs) * w);
    const int clipX = 1 + int(0.97 * w);
    const int scaleH = std::max(2, h / 5);
    p.fillRect(QRect(1, 1 + h - scaleH, quietX - 1, scaleH), kQuiet.darker(160));
    p.fillRect(QRect(quietX, 1 + h - scaleH, clipX - quietX, scaleH), kGood.darker(160));
    p.fillRect(QRect(clipX, 1 + h - scaleH, 1 + w - clipX, scaleH), kClipping.darker(160));
    if (!empty_) {
        const voice::Loudness zone = held_.zone();
        const QColor colour = zone == voice::Loudness::Clipped ? kClipping
                              : zone == voice::Loudness::Good  ? kGood
                                                               : kQuiet;
        const int filled = zone == voice::Loudness::Clipped ? w : int(fraction(held_.dbfs) * w);
        p.fillRect(QRect(1, 1, filled, h - scaleH), colour);
        // The zone in words, for those who do not read colours.
        p.setPen(Qt::white);
        QFont f = font();
        f.setPixelSize(std::max(8, h - scaleH - 3));
        p.setFont(f);
        p.drawText(QRect(4, 1, w - 6, h - scaleH), Qt::AlignVCenter | Qt::AlignRight, zoneText());
    }
}

} // namespace screens
