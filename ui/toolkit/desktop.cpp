#include "ui/toolkit/desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <utility>

#include "ui/texts.h"
#include "ui/toolkit/text.h"

namespace varnick::ui {
namespace {

void presentInMessageBox(QWidget* owner, const Message& message) {
    QString shown = toQString(message.text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QMessageBox::Icon icon =
        message.kind == MessageKind::Success ? QMessageBox::Information : QMessageBox::Warning;
    QMessageBox box(icon, toQString(texts::kProgramName), shown, QMessageBox::Ok, owner);
    box.button(QMessageBox::Ok)->setText(toQString(texts::kOk));
    box.exec();
}

MessagePresenter& currentPresenter() {
    static MessagePresenter presenter = presentInMessageBox;
    return presenter;
}

}  // namespace

MessagePresenter setMessagePresenter(MessagePresenter presenter) {
    MessagePresenter previous = std::exchange(currentPresenter(), std::move(presenter));
    if (!currentPresenter()) {
        currentPresenter() = presentInMessageBox;
    }
    return previous;
}

void showMessage(const Message& message) {
    // A copy, so that a presenter which replaces itself while it runs stays alive until it returns.
    const MessagePresenter presenter = currentPresenter();
    presenter(QApplication::activeWindow(), message);
}

bool setClipboardText(std::string_view text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    const QString wanted = toQString(text);
    clipboard->setText(wanted, QClipboard::Clipboard);
    return clipboard->text(QClipboard::Clipboard) == wanted;
}

void QtDesktopServices::showMessage(const Message& message) {
    ui::showMessage(message);
}

bool QtDesktopServices::setClipboardText(std::string_view text) {
    return ui::setClipboardText(text);
}

}  // namespace varnick::ui
