#include "platform/dialog_service.h"

#include <QInputDialog>
#include <QMessageBox>

void QtDialogService::message(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(parent);
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
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, *value, &ok);
    if (ok)
        *value = text;
    return ok;
}
