#pragma once
#include <QWidget>

class QCloseEvent;

namespace screens {

// "About" window of the trainer, opened by a click on the logo of the main window.
// Closing it, by its button or from the title bar, only hides it.
class InfoTKM : public QWidget {
    Q_OBJECT
public:
    explicit InfoTKM(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Authorship notice, opened by typing T, K, M on the main window.
// Closing it, by its button or from the title bar, only hides it.
class Copyright : public QWidget {
    Q_OBJECT
public:
    explicit Copyright(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace screens
