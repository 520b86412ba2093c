#include "screens/ReceiverPanel.h"

#include "air/Receiver.h"
#include "core/Accessibility.h"
#include "core/Context.h"
#include "platform/SoundInput.h"
#include "screens/ToolWindow.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace screens {

ReceiverPanel::ReceiverPanel(Context& ctx, QWidget* window, QBoxLayout* row)
    : c(ctx), receiver_(std::make_unique<air::Receiver>(*ctx.air)) {
    auto* caption = new QLabel(QStringLiteral("Receiver input:"), window);
    input = new QComboBox(window);
    input->setObjectName(QStringLiteral("cboReceiverInput"));
    input->setMinimumContentsLength(28);
    input->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    caption->setBuddy(input);
    nameControl(input, QStringLiteral("Receiver input"),
                QStringLiteral("The sound input a channel 70 receiver is connected to"));
    inputs = toolButton(window, "cmdReceiverInputs", QStringLiteral("Refresh"));
    nameControl(inputs, QStringLiteral("Refresh inputs"), QStringLiteral("Asks the sound server for its inputs again"));
    listen = toolButton(window, "cmdListen", QStringLiteral("Listen"));
    nameControl(listen, QStringLiteral("Listen"),
                QStringLiteral("Decodes the calls heard on the chosen input and lists them here; Stop ends it"));
    state = new QLabel(window);
    state->setObjectName(QStringLiteral("lblReceiver"));
    row->addWidget(caption);
    row->addWidget(input, 1);
    row->addWidget(inputs);
    row->addWidget(listen);
    row->addWidget(state, 1);

    connect(inputs, &QPushButton::clicked, this, &ReceiverPanel::refreshInputs);
    connect(listen, &QPushButton::clicked, this, &ReceiverPanel::toggle);
    connect(receiver_.get(), &air::Receiver::callHeard, this, [this] {
        showState(QStringLiteral("Listening to %1: %2 call(s) heard").arg(receiver_->source()).arg(receiver_->heard()));
    });
    connect(receiver_.get(), &air::Receiver::stopped, this, [this](const QString& why) {
        listen->setText(QStringLiteral("Listen"));
        showState(QStringLiteral("Stopped: %1").arg(why));
        c.message(QStringLiteral("The receiver stopped listening to %1: %2.").arg(receiver_->source(), why));
    });
    refreshInputs();
}

ReceiverPanel::~ReceiverPanel() = default;

void ReceiverPanel::showState(const QString& text) {
    state->setText(text);
    state->setAccessibleName(QStringLiteral("Receiver: ") + text);
}

void ReceiverPanel::refreshInputs() {
    const QString chosen = input->currentText();
    QString error;
    const std::vector<platform::SoundSource> sources = platform::soundSources(&error);
    input->clear();
    for (const platform::SoundSource& s : sources) {
        input->addItem(s.name);
        input->setItemData(input->count() - 1, s.description, Qt::ToolTipRole);
    }
    if (const int at = input->findText(chosen); at >= 0) input->setCurrentIndex(at);
    if (receiver_->listening()) return;
    showState(!error.isEmpty()     ? QStringLiteral("No sound inputs: %1").arg(error)
              : sources.empty()    ? QStringLiteral("The sound server has no inputs")
                                   : QStringLiteral("Not listening"));
}

void ReceiverPanel::toggle() {
    if (receiver_->listening()) {
        receiver_->stop();
        listen->setText(QStringLiteral("Listen"));
        showState(QStringLiteral("Not listening"));
        return;
    }
    const QString source = input->currentText();
    if (source.isEmpty()) {
        c.message(QStringLiteral("Choose a sound input for the receiver first."));
        return;
    }
    QString error;
    if (!receiver_->listen(source, &error)) {
        showState(QStringLiteral("Not listening"));
        c.message(QStringLiteral("The receiver cannot listen to %1: %2.").arg(source, error));
        return;
    }
    listen->setText(QStringLiteral("Stop"));
    showState(QStringLiteral("Listening to %1").arg(source));
}

} // namespace screens
