#include "dsc/Logs.h"

#include "core/Context.h"
#include "stations/Classmates.h"
#include "core/Form.h"

#include <algorithm>

namespace {

// The list's selected line, or -1 when none is selected.
int selectedIndex(const QListWidget* list) {
    const QModelIndexList rows = list->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool sortsBefore(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; }

} // namespace

void Logs::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    onLineClicked(ui.lstReceived, [this] { lstReceived_Click(); });
    onLineClicked(ui.lstDirectory, [this] { lstDirectory_Click(); });
}

void Logs::lstReceived_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    const int row = selectedIndex(ui.lstReceived);
    if (row < 0) return;
    const QString line = ui.lstReceived->item(row)->text();
    // The answer to a classmate's call is chosen in this list too.
    if (c.classmates && c.classmates->chooseReceivedLine(line)) return;
    if (line == QLatin1String("Distress Calls")) {
        ui.lstDistress->show();
    } else if (line == QLatin1String("Other Calls")) {
        ui.lstDistress->hide();
        ui.lstReceived->clear();
        const QString rule(19, QLatin1Char('_'));
        ui.lstReceived->addItems({QStringLiteral("UTC 15:22"), QStringLiteral("Quil's Wonder"),
                                  QStringLiteral("338121212"), QStringLiteral("Position Request"),
                                  QStringLiteral("request unanswered"), rule, QString(),
                                  QStringLiteral("UTC 16:39"), QStringLiteral("338357697"),
                                  QStringLiteral("Group Call"), QStringLiteral("call answered"), rule, QString()});
        if (c.classmates) ui.lstReceived->addItems(c.classmates->otherCalls());
    }
}

void Logs::lstDirectory_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    // Only after "Received Calls" was the last menu choice does a directory line lead to the field.
    // The field keeps its length limit: nine digits for an addressee, none for a new line.
    if (selectedIndex(ui.lstMenu) == 0) ui.txtDirectory->setFocus();
}

void Logs::addDirectoryLine(const QString& line) {
    QListWidget* dir = c.ui->lstDirectory;
    int row = 0;
    while (row < dir->count() && !sortsBefore(line, dir->item(row)->text())) ++row;
    dir->insertItem(row, line);
}

void Logs::sortDirectory() {
    QListWidget* dir = c.ui->lstDirectory;
    QStringList lines;
    for (int i = 0; i < dir->count(); ++i) lines << dir->item(i)->text();
    std::stable_sort(lines.begin(), lines.end(), sortsBefore);
    dir->clear();
    dir->addItems(lines);
}
