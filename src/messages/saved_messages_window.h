#pragma once

#include "platform/data_folder.h"

#include <QWidget>

class DialogService;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// "load a saved message": the lines of messages.txt, a preview of the one
// clicked, a double-click to load it into the editor, and delete.
class SavedMessagesWindow : public QWidget {
    Q_OBJECT
public:
    SavedMessagesWindow(DataFolder folder, DialogService &dialogs, QWidget *parent = nullptr);
    // False when there is no message file: the window is then not shown.
    bool loadWindow();

signals:
    // A saved message was double-clicked. A record without "|" has no
    // subject, and the editor's subject is then left as it is.
    void messageChosen(const QString &body, const QString &subject, bool hasSubject);

private slots:
    void showSelectedMessage();
    void loadSelectedMessage();
    void deleteSelectedMessage();

private:
    bool loadMessageList();

    DataFolder m_folder;
    DialogService &m_dialogs;
    QListWidget *m_messageList = nullptr;
    QPlainTextEdit *m_preview = nullptr;
    QLineEdit *m_subject = nullptr;
};
