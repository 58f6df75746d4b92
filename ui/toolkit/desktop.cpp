#include "ui/toolkit/desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QString>
#include <utility>

#include "ui/texts.h"
#include "ui/toolkit/text.h"

namespace varnick::ui {
namespace {

void presentInMessageBox(QWidget* owner, std::string_view text) {
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, toQString(texts::kProgramName), shown, QMessageBox::Ok, owner);
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

void showMessage(std::string_view text) {
    // A copy, so that a presenter which replaces itself while it runs stays alive until it returns.
    const MessagePresenter presenter = currentPresenter();
    presenter(QApplication::activeWindow(), text);
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

void QtDesktopServices::showMessage(std::string_view text) {
    ui::showMessage(text);
}

bool QtDesktopServices::setClipboardText(std::string_view text) {
    return ui::setClipboardText(text);
}

}  // namespace varnick::ui
