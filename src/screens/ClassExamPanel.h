#pragma once
// The class's mock exam in the instructor's Class stations window: "Start exam..." (a profile, and
// one seed for the whole class or one drawn for each trainee), a row per trainee saying where its
// exam stands (card, attempt, time, result), the selected trainee's cards and attempts with the
// spoken parts waiting for review, whose sounds the instructor can listen to, an override of an
// attempt's mark with the reason written down, and "Save results...". The panel only shows and
// asks: the exam itself goes through the class (app/ClassExam.h), which tells it what comes back.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace screens {

class ClassExamPanel : public QWidget {
    Q_OBJECT
public:
    enum Column { Trainee, Exam, Phase, Time, Result, ColumnCount };
    // The shipped profiles the class can sit.
    static const QStringList& profiles();

    struct Choice {
        QString profile;
        bool oneSeed = true;
        quint64 seed = 0; // the one seed for all; with one each, each trainee's is drawn at the start
    };

    explicit ClassExamPanel(QWidget* parent = nullptr);

    // The exam sent to a trainee, then where it stands as its trainer tells it
    // (ExamRun::progress), and its result record once written into the instructor's folder.
    void setStarted(const QString& mmsi, const QString& candidate, const QString& profile, quint64 seed);
    void setProgress(const QString& mmsi, const QJsonObject& progress);
    void setRecord(const QString& mmsi, const QString& recordPath);
    // A line under the list: what was done, or what went wrong.
    void say(const QString& text);
    // The trainee of the selected row, or "".
    QString selectedTrainee() const;

    // What the instructor chose in the start window (tests give their own); nothing: cancelled.
    std::function<std::optional<Choice>()> askExam;
    std::function<QString()> askFolder;

    QTableWidget* table;     // tblExam
    QListWidget* attempts;   // lstExamAttempts: the selected trainee's attempts and review flags
    QLabel* status;          // lblExamStatus
    QPushButton* start;      // cmdStartExam
    QPushButton* listen;     // cmdExamListen
    QComboBox* mark;         // cboOverrideMark
    QLineEdit* reason;       // txtOverrideReason
    QPushButton* overrideKey; // cmdOverride
    QPushButton* save;       // cmdSaveResults

signals:
    void startRequested(const screens::ClassExamPanel::Choice& choice);
    void saveRequested(const QString& folder);
    void listenRequested(const QString& soundPath);
    void overrideRequested(const QString& mmsi, int card, int attempt, const QString& mark, const QString& reason);

private:
    struct Row {
        QString candidate, exam;
        QJsonObject progress;
        QString recordPath;
    };
    int rowOf(const QString& mmsi);
    void showRow(const QString& mmsi);
    void showAttempts();
    std::optional<Choice> askWithDialog();

    QMap<QString, Row> rows_; // by MMSI, in the table's order
};

} // namespace screens
