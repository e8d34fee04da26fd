#pragma once

#include <QGroupBox>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class SettingsStore;

// "Message Editor": the subject, the message and their two paste buttons.
// The message box takes the room the frame is given.
// The subject is kept in the settings on every change; the message at the end.
class MessageEditorPanel : public QGroupBox {
    Q_OBJECT
public:
    MessageEditorPanel(SettingsStore &settings, QWidget *parent = nullptr);

    // Plain text with CR LF line breaks, as the message is stored and sent.
    QString messageText() const;
    void setMessageText(const QString &text);
    QString subjectText() const;
    void setSubjectText(const QString &text);

    // The last message and subject, or the first-run texts.
    void restoreLastMessage();
    void storeLastMessage();

    QAction *pasteSubjectAction() const { return m_pasteSubject; }
    QAction *pasteMessageAction() const { return m_pasteMessage; }

public slots:
    // File, New Message: the message, then the subject, are emptied.
    void clearMessage();

private:
    SettingsStore &m_settings;
    QLineEdit *m_subjectBox = nullptr;
    QPlainTextEdit *m_messageBox = nullptr;
    QAction *m_pasteSubject = nullptr;
    QAction *m_pasteMessage = nullptr;
};
