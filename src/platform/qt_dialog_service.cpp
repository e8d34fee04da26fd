#include "platform/qt_dialog_service.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QWidget *ownerOf(QWidget *parent)
{
    return parent ? parent : QApplication::activeWindow();
}
} // namespace

void QtDialogService::message(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(ownerOf(parent));
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(icon == Icon::Exclamation ? QMessageBox::Warning
            : icon == Icon::Information   ? QMessageBox::Information
                                          : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtDialogService::ask(QWidget *parent, const QString &text, const QString &title, Choice choice)
{
    QMessageBox box(ownerOf(parent));
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(QMessageBox::Warning);
    const QMessageBox::StandardButton yes = choice == Choice::YesNo ? QMessageBox::Yes : QMessageBox::Retry;
    const QMessageBox::StandardButton no = choice == Choice::YesNo ? QMessageBox::No : QMessageBox::Cancel;
    box.setStandardButtons(yes | no);
    // The safe answer is the default: Enter never types a password or drops a change.
    box.setDefaultButton(no);
    return box.exec() == yes;
}

bool QtDialogService::input(QWidget *parent, const QString &prompt, const QString &title, QString *value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(ownerOf(parent), title, prompt, QLineEdit::Normal, *value, &ok);
    if (ok)
        *value = text;
    return ok;
}

bool QtDialogService::choose(
    QWidget *parent, const QString &prompt, const QString &title, const QStringList &items, int *index)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(ownerOf(parent), title, prompt, items, *index, false, &ok);
    if (ok)
        *index = static_cast<int>(items.indexOf(item));
    return ok && *index >= 0;
}
