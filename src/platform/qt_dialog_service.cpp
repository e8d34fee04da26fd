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

bool QtDialogService::input(QWidget *parent, const QString &prompt, const QString &title, QString *value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(ownerOf(parent), title, prompt, QLineEdit::Normal, *value, &ok);
    if (ok)
        *value = text;
    return ok;
}
