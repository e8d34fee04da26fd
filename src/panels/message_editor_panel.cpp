#include "panels/message_editor_panel.h"

#include "messages/first_run_text.h"
#include "messages/message_store.h"
#include "platform/settings_store.h"
#include "ui/placement.h"

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
    makeLabel(this, "Label1", QStringLiteral("Subject:"), 120, 360, 735, 255);
    makeSkinLabel(this, "SkinLabel6", QStringLiteral("Subject:"), 120, 360, 735, 195);
    m_subjectBox = makeControl<QLineEdit>(this, "txtSubject", 900, 300, 1995, 285);
    auto *pasteSubject = makeControl<QPushButton>(this, "cmdPaste_0", 2940, 300, 675, 315);
    pasteSubject->setText(QStringLiteral("Paste"));
    pasteSubject->setToolTip(
        QStringLiteral("Click within the Subject field on the form you want to paste into, then click here."));
    makeLabel(this, "Label7", QStringLiteral("Message:"), 120, 660, 975, 195);
    makeSkinLabel(this, "SkinLabel7", QStringLiteral("Message:"), 120, 660, 795, 195);
    m_messageBox = makeControl<QPlainTextEdit>(this, "txtMessage", 120, 900, 3495, 1695);
    m_messageBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pasteMessageButton = makeControl<QPushButton>(this, "cmdPaste_3", 120, 2640, 3495, 375);
    m_pasteMessageButton->setText(QStringLiteral("Paste Message"));
    m_pasteMessageButton->setToolTip(
        QStringLiteral("Click within the message area on the form you want to paste into, then click here."));
    // The labels of this frame get skinned copies from this model.
    makeSkinLabelModel(this, "SkinLabel2_0");

    m_pasteSubject = pasteButtonAction(pasteSubject, "pasteSubject");
    m_pasteMessage = pasteButtonAction(m_pasteMessageButton, "pasteMessage");
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

void MessageEditorPanel::placeMessageBox(int pasteMessageTop, int messageHeight)
{
    m_pasteMessageButton->move(m_pasteMessageButton->x(), twipsToPixels(pasteMessageTop));
    setHeightInTwips(m_messageBox, messageHeight);
}

void MessageEditorPanel::clearMessage()
{
    setMessageText(QString());
    setSubjectText(QString());
}
