#include "platform/Look.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPainter>
#include <QPixmapCache>
#include <QPolygonF>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <initializer_list>

namespace ctl {

namespace {

// The edge colours of a 3-D key or field.
const QColor kEdgeLight{255, 255, 255};
const QColor kEdgeShadow{128, 128, 128};
const QColor kEdgeDark{64, 64, 64};

// A control that has a colour of its own for the role: given by the window's design, or later
// from code (setBackColor).
bool coloured(const QWidget* w, QPalette::ColorRole role) {
    return w && w->palette().isBrushSet(QPalette::Active, role);
}

bool colouredKey(const QWidget* w) { return qobject_cast<const QPushButton*>(w) && coloured(w, QPalette::Button); }

bool colouredList(const QWidget* w) {
    const auto* box = qobject_cast<const QComboBox*>(w);
    return box && !box->isEditable() && coloured(w, QPalette::Base);
}

// The name a picture drawn once is kept under in the pixmap cache: what it is, then each of the
// values it is drawn from as two characters (made for every control painted, so made cheaply).
QString pictureName(QStringView what, std::initializer_list<quint32> values) {
    QString name;
    name.reserve(what.size() + 2 * qsizetype(values.size()));
    name.append(what);
    for (quint32 v : values) {
        name.append(QChar(char16_t(v >> 16)));
        name.append(QChar(char16_t(v & 0xffff)));
    }
    return name;
}

// The picture kept under `name`; drawn by `draw` on a clear picture of `size` logical pixels at the
// screen's `scale` and kept, the first time.
template <class Draw>
QPixmap kept(const QString& name, const QSize& size, int scale, Draw draw) {
    QPixmap picture;
    if (QPixmapCache::find(name, &picture)) return picture;
    picture = QPixmap(size * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    draw(&painter);
    painter.end();
    QPixmapCache::insert(name, picture);
    return picture;
}

// One logical pixel wide on every side, whatever the screen's scale.
void edge(QPainter* p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p->fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    p->fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p->fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// A key's face: the colour flat, light above and left, dark below and right; held down, the
// other way round.
void drawKey(QPainter* p, const QRect& r, const QColor& face, bool sunken) {
    p->fillRect(r, face);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    if (sunken) {
        edge(p, r, kEdgeDark, kEdgeLight);
        edge(p, inner, kEdgeShadow, face);
    } else {
        edge(p, r, kEdgeLight, kEdgeDark);
        edge(p, inner, face, kEdgeShadow);
    }
}

// The drop-down list's arrow key: as wide as a scroll bar arrow, inside the sunken edge.
QRect arrowKeyRect(const QRect& r) {
    const QRect inner = r.adjusted(2, 2, -2, -2);
    const int width = qMin(16, inner.width() / 2);
    return QRect(inner.right() - width + 1, inner.top(), width, inner.height());
}

QRect fieldRect(const QRect& r) {
    const QRect inner = r.adjusted(2, 2, -2, -2);
    return inner.adjusted(2, 0, -arrowKeyRect(r).width() - 1, 0);
}

void drawDropDown(const QStyleOptionComboBox* box, QPainter* p) {
    const QRect r = box->rect;
    const QColor key = box->palette.color(QPalette::Button);
    p->fillRect(r, box->palette.color(QPalette::Base));
    edge(p, r, kEdgeShadow, kEdgeLight);
    edge(p, r.adjusted(1, 1, -1, -1), kEdgeDark, key);

    const QRect arrow = arrowKeyRect(r);
    const bool down = (box->state & QStyle::State_Sunken) && (box->activeSubControls & QStyle::SC_ComboBoxArrow);
    drawKey(p, arrow, key, down);
    const QPointF c = QRectF(arrow).center() + (down ? QPointF(1, 1) : QPointF(0, 0));
    const qreal s = qMax<qreal>(2.0, arrow.width() / 4.0);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(box->palette.color(box->state & QStyle::State_Enabled ? QPalette::Active : QPalette::Disabled,
                                   QPalette::ButtonText));
    p->drawPolygon(QPolygonF{{c.x() - s, c.y() - s / 2}, {c.x() + s, c.y() - s / 2}, {c.x(), c.y() + s / 2}});
    p->restore();

    if (box->state & QStyle::State_HasFocus) {
        p->save();
        p->setPen(QPen(box->palette.color(QPalette::Text), 0, Qt::DotLine));
        p->drawRect(fieldRect(r).adjusted(-1, 1, 0, -2));
        p->restore();
    }
}

// The system's style for everything else.
class DesignedFaces : public QProxyStyle {
public:
    // Over the style the application would have had: the system's, or the one asked for (-style).
    DesignedFaces() = default;

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
        if (pe == PE_PanelButtonCommand && colouredKey(w)) return drawKey(p, opt->rect, w->palette().color(QPalette::Button), sunken(opt));
        if (pe == PE_FrameLineEdit && drawFieldFrameFromPieces(opt, p, w)) return;
        if (pe == PE_PanelButtonCommand && drawKeyFaceKept(opt, p, w)) return;
        QProxyStyle::drawPrimitive(pe, opt, p, w);
    }

    void drawControl(ControlElement ce, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
        if (ce == CE_PushButtonBevel && colouredKey(w))
            return drawKey(p, opt->rect, w->palette().color(QPalette::Button), sunken(opt));
        if (ce == CE_ComboBoxLabel && colouredList(w)) {
            // The designed text ("Nature of Distress") and the chosen item alike, in the text colour.
            if (const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(opt)) {
                QStyleOptionComboBox shown = *box;
                shown.palette.setBrush(QPalette::ButtonText, box->palette.brush(QPalette::Text));
                return QProxyStyle::drawControl(ce, &shown, p, w);
            }
        }
        QProxyStyle::drawControl(ce, opt, p, w);
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override {
        if (cc == CC_ComboBox && colouredList(w))
            if (const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(opt)) return drawDropDown(box, p);
        QProxyStyle::drawComplexControl(cc, opt, p, w);
    }

    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override {
        if (cc == CC_ComboBox && colouredList(w)) {
            switch (sc) {
            case SC_ComboBoxFrame: return opt->rect;
            case SC_ComboBoxArrow: return arrowKeyRect(opt->rect);
            case SC_ComboBoxEditField: return fieldRect(opt->rect);
            default: break;
            }
        }
        return QProxyStyle::subControlRect(cc, opt, sc, w);
    }

    int pixelMetric(PixelMetric pm, const QStyleOption* opt, const QWidget* w) const override {
        // The caption of a held key moves with its face.
        if ((pm == PM_ButtonShiftHorizontal || pm == PM_ButtonShiftVertical) && colouredKey(w)) return 1;
        return QProxyStyle::pixelMetric(pm, opt, w);
    }

private:
    static bool sunken(const QStyleOption* opt) { return opt->state & (State_Sunken | State_On); }

    // Fusion's frame of a text field is a smoothed, rounded outline (and a faint line under its top
    // edge): drawn afresh for each field it was the dearest thing on the window's first frame after
    // the text, some 0.3 M instructions a field. Its corners are all that changes with the field's
    // shape; its edges are the same all along. So it is drawn once for each state and colours on a
    // small field, and each field's frame is put together from that one's corners and edges
    // stretched. Only for Fusion, whose frame depends on nothing but its rectangle, focus and
    // colours, and where the pieces land on whole pixels.
    static constexpr int kCorner = 4; // the rounded corner and its smoothing, in logical pixels

    bool drawFieldFrameFromPieces(const QStyleOption* opt, QPainter* p, const QWidget* w) const {
        const QRect r = opt->rect;
        if (r.width() < 2 * kCorner + 1 || r.height() < 2 * kCorner + 1) return false;
        const int scale = wholePixelScale(p);
        if (!scale) return false;
        const QPalette& pal = opt->palette;
        const QString key = pictureName(u"vhf-field-frame", {uint(opt->state & (State_HasFocus | State_Enabled)),
                                                             pal.window().color().rgba(), uint(pal.window().style()),
                                                             pal.highlight().color().rgba(), uint(scale)});
        const int side = 2 * kCorner + 1;
        const QPixmap pieces = kept(key, QSize(side, side), scale, [&](QPainter* pp) {
            QStyleOptionFrame small;
            if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(opt)) small = *frame;
            else static_cast<QStyleOption&>(small) = *opt;
            small.rect = QRect(0, 0, side, side);
            QProxyStyle::drawPrimitive(PE_FrameLineEdit, &small, pp, w);
        });
        // Three columns and three rows on the field: the corners as they are, the edges stretched
        // from the small field's middle pixel, the inside left alone. The small field is square, so
        // one list of its pieces serves across and down.
        const int c = kCorner;
        const int xs[3] = {r.left(), r.left() + c, r.right() - c + 1}, ws[3] = {c, r.width() - 2 * c, c};
        const int ys[3] = {r.top(), r.top() + c, r.bottom() - c + 1}, hs[3] = {c, r.height() - 2 * c, c};
        const int from[3] = {0, c, c + 1}, span[3] = {c, 1, c};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) {
                if (row == 1 && col == 1) continue;
                p->drawPixmap(QRect(xs[col], ys[row], ws[col], hs[row]), pieces,
                              QRect(from[col] * scale, from[row] * scale, span[col] * scale, span[row] * scale));
            }
        return true;
    }

    // Fusion draws a plain key's face (a smoothed, rounded outline on a shaded ground) into a
    // picture and keeps it, but under a name holding the key's palette, which is a palette of its
    // own for each key: it never found one again, and drew every key afresh on the first frame,
    // some 0.18 M instructions each. Kept here under what the face is drawn from (its size, state
    // and colours), the window's twelve function keys of one size are drawn once.
    bool drawKeyFaceKept(const QStyleOption* opt, QPainter* p, const QWidget* w) const {
        const auto* key = qstyleoption_cast<const QStyleOptionButton*>(opt);
        if (!key || !qobject_cast<const QPushButton*>(w) || (key->features & QStyleOptionButton::Flat) ||
            opt->rect.isEmpty())
            return false;
        const int scale = wholePixelScale(p);
        if (!scale) return false;
        const QPalette& pal = opt->palette;
        const QString name = pictureName(u"vhf-key-face", {uint(opt->state), uint(key->features), uint(opt->direction),
                                                           uint(opt->rect.width()), uint(opt->rect.height()),
                                                           pal.button().color().rgba(), pal.window().color().rgba(),
                                                           uint(pal.window().style()), pal.highlight().color().rgba(),
                                                           uint(scale)});
        p->drawPixmap(opt->rect.topLeft(), kept(name, opt->rect.size(), scale, [&](QPainter* fp) {
            QStyleOptionButton atOrigin = *key;
            atOrigin.rect = QRect(QPoint(), opt->rect.size());
            QProxyStyle::drawPrimitive(PE_PanelButtonCommand, &atOrigin, fp, w);
        }));
        return true;
    }

    // The screen's scale when what is drawn lands on whole pixels under Fusion (no turning, no
    // half pixels, fully opaque, plain drawing over): pictures drawn once then serve as they are.
    // Otherwise 0.
    int wholePixelScale(const QPainter* p) const {
        if (!fusionBase()) return 0;
        const QTransform& t = p->worldTransform();
        const qreal dpr = p->device() ? p->device()->devicePixelRatio() : 1.0;
        if (t.type() > QTransform::TxTranslate || t.dx() != qRound(t.dx()) || t.dy() != qRound(t.dy()) ||
            dpr != qRound(dpr) || p->opacity() < 1.0 || p->compositionMode() != QPainter::CompositionMode_SourceOver)
            return 0;
        return qRound(dpr);
    }

    bool fusionBase() const {
        if (fusion_ < 0) fusion_ = baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
        return fusion_ > 0;
    }
    mutable int fusion_ = -1;
};

} // namespace

void useDesignedFaces() {
    // The application's style, set before the window is made: giving each key and list a style of
    // its own afterwards polished each again (and made every drop-down list's choices at once).
    if (dynamic_cast<DesignedFaces*>(QApplication::style())) return;
    QApplication::setStyle(new DesignedFaces);
}

namespace {

// Closer than this the letters of the lists' small type would touch.
constexpr qreal kTightestSpacing = -0.6;

// The letter spacing the lines from row `from` on need, given the spacing the earlier ones need.
void fitRows(QListWidget* list, int from, qreal spacing) {
    QFont font = list->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const QFontMetricsF metrics(font);
    QStyle* style = list->style();
    // The room for a line: inside the frame, beside the scroll bar, less the margins of an item.
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const qreal room = list->width() - 2 * list->frameWidth() -
                       style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list->verticalScrollBar()) - margins;
    // The letters move closer together by what the longest line is over, shared among its letters.
    for (int i = from; i < list->count(); ++i) {
        const QString line = list->item(i)->text();
        const qreal over = metrics.horizontalAdvance(line) + 2 - room; // two pixels to spare for rounding
        if (over > 0) spacing = qMin(spacing, -over / line.size());
    }
    spacing = qMax(spacing, kTightestSpacing);
    if (!qFuzzyCompare(1 + spacing, 1 + list->font().letterSpacing())) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        list->setFont(font);
    }
}

// Keeps a list's lines fitted. A hidden list is fitted when it is next shown: the lists hidden at
// start measure nothing (nor load their type) on the way to the window's first frame.
class LineFitter : public QObject {
public:
    explicit LineFitter(QListWidget* list) : QObject(list), list_(list) {
        list->installEventFilter(this);
        // Lines added at the end only need measuring themselves: the spacing can only get tighter.
        // Any other change measures every line again.
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
            if (stale_ || list_->isHidden()) {
                stale_ = true;
                return;
            }
            const bool appended = first > 0 && last == list_->count() - 1;
            fitRows(list_, appended ? first : 0, appended ? list_->font().letterSpacing() : 0);
        });
        if (list->isHidden()) stale_ = true;
        else fitRows(list, 0, 0);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == list_ && e->type() == QEvent::Show && stale_) {
            stale_ = false;
            fitRows(list_, 0, 0);
        }
        return false;
    }

private:
    QListWidget* list_;
    bool stale_ = false;
};

} // namespace

void fitLinesToWidth(QListWidget* list) { new LineFitter(list); }

} // namespace ctl
