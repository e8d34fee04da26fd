#include "panels/message_editor_panel.h"

#include "messages/first_run_text.h"
#include "messages/message_store.h"
#include "platform/settings_store.h"
#include "ui/controls.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
const QString kData = QStringLiteral("data");
const QString kLastMessage = QStringLiteral("lastMessage");
const QString kLastSubject = QStringLiteral("lastSubject");
} // namespace

MessageEditorPanel::MessageEditorPanel(SettingsStore &settings, QWidget *parent)
    : QGroupBox(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("Frame1"));
    setTitle(QStringLiteral("Message Editor"));
    m_subjectBox = named<QLineEdit>(this, "txtSubject");
    m_messageBox = named<QPlainTextEdit>(this, "txtMessage");
    m_messageBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *subjectLabel = labelFor(this, "SkinLabel6", QStringLiteral("Subject:"), m_subjectBox);
    auto *messageLabel = labelFor(this, "SkinLabel7", QStringLiteral("Message:"), m_messageBox);
    // The plain labels of the same captions keep their names, not a place:
    // the skinned labels above are the ones shown.
    for (const auto &[name, text] : { std::pair { "Label1", "Subject:" }, std::pair { "Label7", "Message:" } }) {
        auto *plain = named<QLabel>(this, name);
        plain->setText(QLatin1String(text));
        plain->hide();
    }
    auto *pasteSubject = pasteButton(this, "cmdPaste_0",
        QStringLiteral("Click within the Subject field on the form you want to paste into, then click here."),
        QStringLiteral("Paste Subject"));
    auto *pasteMessage = named<QPushButton>(this, "cmdPaste_3");
    pasteMessage->setText(QStringLiteral("Paste Message"));
    pasteMessage->setToolTip(
        QStringLiteral("Click within the message area on the form you want to paste into, then click here."));

    auto *grid = new QGridLayout(this);
    grid->addWidget(subjectLabel, 0, 0);
    grid->addWidget(m_subjectBox, 0, 1);
    grid->addWidget(pasteSubject, 0, 2);
    grid->addWidget(messageLabel, 1, 0, 1, 3);
    grid->addWidget(m_messageBox, 2, 0, 1, 3);
    grid->addWidget(pasteMessage, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    m_pasteSubject = command(this, "pasteSubject", QStringLiteral("Paste Subject"));
    m_pasteMessage = command(this, "pasteMessage", QStringLiteral("Paste Message"));
    runsPasteCommand(pasteSubject, m_pasteSubject);
    runsPasteCommand(pasteMessage, m_pasteMessage);
    connect(m_subjectBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        // A subject is one line: a pasted line break becomes a space.
        const QString oneLine = MessageStore::singleLineSubject(text);
        if (oneLine != text) {
            const int cursor = m_subjectBox->cursorPosition();
            m_subjectBox->setText(oneLine);
            m_subjectBox->setCursorPosition(std::min<int>(cursor, oneLine.size()));
            return;
        }
        m_settings.write(kData, kLastSubject, text);
    });
}

QString MessageEditorPanel::messageText() const
{
    QString text = m_messageBox->toPlainText();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void MessageEditorPanel::setMessageText(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_messageBox->setPlainText(plain);
}

QString MessageEditorPanel::subjectText() const
{
    return m_subjectBox->text();
}

void MessageEditorPanel::setSubjectText(const QString &text)
{
    m_subjectBox->setText(text);
}

void MessageEditorPanel::restoreLastMessage()
{
    const QString lastMessage = m_settings.read(kData, kLastMessage, QString());
    setSubjectText(m_settings.read(kData, kLastSubject, QStringLiteral("Type Subject Here")));
    if (!lastMessage.isEmpty() && lastMessage != QLatin1String(" "))
        setMessageText(lastMessage);
    else
        setMessageText(firstRunText());
}

void MessageEditorPanel::storeLastMessage()
{
    m_settings.write(kData, kLastMessage, messageText());
}

void MessageEditorPanel::clearMessage()
{
    setMessageText(QString());
    setSubjectText(QString());
}
