#include "core/Pictures.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QResource>
#include <cstring>

namespace pictures {

QImage image(const QString& name, int scale) {
    // An uncompressed resource: "ARGB", width and height as 32-bit numbers, then the pixels, four
    // bytes each, in the layout of QImage::Format_ARGB32_Premultiplied, row after row.
    const QResource res(QStringLiteral(":/pictures/") + name + (scale > 1 ? QStringLiteral("@2x.argb")
                                                                           : QStringLiteral(".argb")));
    if (!res.isValid() || res.compressionAlgorithm() != QResource::NoCompression || res.size() < 12) return {};
    const uchar* data = res.data();
    quint32 width = 0, height = 0;
    std::memcpy(&width, data + 4, 4);
    std::memcpy(&height, data + 8, 4);
    if (std::memcmp(data, "ARGB", 4) != 0 || width == 0 || height == 0 || width > 4096 || height > 4096 ||
        qint64(width) * height * 4 != res.size() - 12)
        return {};
    // The pixels stay where they are, in the program's own data.
    return QImage(data + 12, int(width), int(height), int(width) * 4, QImage::Format_ARGB32_Premultiplied);
}

namespace {

struct Picture {
    const char* label;
    const char* name; // drawn at the label's size, and at twice it
};

// The picture labels of the window and the drawing each shows.
const Picture kPictures[] = {
    {"Image5", "lighthouse"}, {"Image4", "motorvessel"}, {"Image2", "sailingvessel"},
    {"imgGPS", "gps"},        {"Image3", "logo"},
};

// Draws the label's picture at the label's size times the scale of the screen it is on, whenever
// the picture it shows does not have that size and scale already.
class SharpPicture : public QObject {
public:
    SharpPicture(QLabel* label, QString name) : QObject(label), label_(label), name_(std::move(name)) {
        label->installEventFilter(this);
        redrawIfNeeded();
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        // Before the label paints, so that it paints the fresh picture.
        if (watched == label_ && e->type() == QEvent::Paint) redrawIfNeeded();
        return false;
    }

private:
    void redrawIfNeeded() {
        const qreal scale = label_->devicePixelRatio();
        // The size the label itself stretches its picture to (QLabel rounds the same way).
        const QSize wanted = label_->contentsRect().size() * scale;
        if (wanted.isEmpty()) return;
        const QPixmap current = label_->pixmap();
        if (current.size() == wanted && qFuzzyCompare(current.devicePixelRatio(), scale)) return;
        // The larger drawing for any scale above 1, brought to size smoothly.
        QImage drawn = image(name_, scale > 1 ? 2 : 1);
        if (drawn.isNull()) return; // keep the picture the label has
        if (drawn.size() != wanted) drawn = drawn.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        drawn.setDevicePixelRatio(scale);
        label_->setPixmap(QPixmap::fromImage(std::move(drawn)));
    }

    QLabel* label_;
    QString name_;
};

} // namespace

void keepSharp(QWidget* form) {
    for (const Picture& p : kPictures) {
        auto* label = form->findChild<QLabel*>(QString::fromLatin1(p.label));
        if (!label || !label->hasScaledContents()) continue;
        new SharpPicture(label, QString::fromLatin1(p.name));
    }
}

} // namespace pictures
