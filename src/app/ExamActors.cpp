#include "app/ExamActors.h"

#include "core/Context.h"
#include "exam/Draw.h"
#include "stations/SecondVessel.h"
#include "stations/StationVoices.h"
#include "voice/SpokenStyle.h"

#include <QMetaObject>
#include <QWidget>

void actOnExamCard(Context& c, const exam::DrawnCard& drawn, int /*attempt*/) {
    const exam::Filled& filled = drawn.filled;
    if (drawn.card.kind == QLatin1String("distress-received")) {
        // Once the card is on show: her alert runs its whole sequence, waits included, as it does
        // when her key is let go.
        const QString nature = filled.values.value(QStringLiteral("nature"));
        QMetaObject::invokeMethod(c.form, [&c, nature] { c.secondVessel->sendDistress(nature); }, Qt::QueuedConnection);
    } else if (drawn.card.kind == QLatin1String("dictation") && !filled.dictation.isEmpty()) {
        // The names and call signs the card was given are spelled.
        QStringList spelled;
        for (auto it = filled.values.cbegin(); it != filled.values.cend(); ++it)
            if (it.key().startsWith(QLatin1String("vessel")) || it.key().startsWith(QLatin1String("callsign")))
                spelled << it.value();
        c.stationVoices->say(QStringLiteral("coast"), QStringLiteral("16"), voice::inSpokenStyle(filled.dictation, spelled));
    }
}
