#include "messages/saved_messages_window.h"

#include "messages/message_store.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "ui/placement.h"
#include "ui/skin.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y, int w, int h)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}
} // namespace

SavedMessagesWindow::SavedMessagesWindow(DataFolder folder, DialogService &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_folder(std::move(folder))
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose); // closing unloads it
    setWindowTitle(QStringLiteral("load a saved message"));
    setFixedSize(560, 400);
    auto *title = label(this, "Label3", QStringLiteral("Saved Messages"), 12, 8, 300, 22);
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    title->setFont(f);
    label(this, "Label1", QStringLiteral("double-click the message you wish to load:"), 12, 36, 260, 20);
    m_messageList = new QListWidget(this);
    m_messageList->setObjectName(QStringLiteral("List1"));
    m_messageList->setGeometry(12, 58, 260, 290);
    label(this, "Label4", QStringLiteral("Subject:"), 284, 36, 60, 20);
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("txtSubject"));
    m_subject->setGeometry(346, 32, 202, 24);
    m_subject->setReadOnly(true);
    label(this, "Label2", QStringLiteral("click once to view the entire message"), 284, 62, 264, 20);
    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("Text1"));
    m_preview->setGeometry(284, 84, 264, 264);
    m_preview->setReadOnly(true);
    auto *remove = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("delete message"), this);
    remove->setObjectName(QStringLiteral("Command1"));
    remove->setGeometry(12, 356, 260, 32);
    makeSkinLabelModel(this, "SkinLabel1_0");

    connect(m_messageList, &QListWidget::currentRowChanged, this, &SavedMessagesWindow::showSelectedMessage);
    connect(m_messageList, &QListWidget::itemClicked, this, &SavedMessagesWindow::showSelectedMessage);
    connect(m_messageList, &QListWidget::itemDoubleClicked, this, &SavedMessagesWindow::loadSelectedMessage);
    connect(remove, &QPushButton::clicked, this, &SavedMessagesWindow::deleteSelectedMessage);
}

bool SavedMessagesWindow::loadWindow()
{
    if (!loadMessageList())
        return false;
    replaceLabels(this);
    applySkin(this);
    return true;
}

bool SavedMessagesWindow::loadMessageList()
{
    MessageStore store(m_folder);
    if (!store.exists()) {
        m_dialogs.message(
            this, QStringLiteral("you must first save a message before you can load one"), Identity::productName());
        return false;
    }
    const LineFile file = store.lines();
    if (!file.ok) {
        m_dialogs.message(this, tr("The saved messages could not be read:\r\n%1").arg(file.error),
            Identity::productName(), DialogService::Icon::Exclamation);
    }
    QSignalBlocker block(m_messageList);
    m_messageList->clear();
    m_messageList->addItems(file.lines);
    return true;
}

void SavedMessagesWindow::showSelectedMessage()
{
    const int row = m_messageList->currentRow();
    if (row < 0)
        return;
    const QString entry = m_messageList->item(row)->text();
    if (entry.isEmpty())
        return;
    const SavedMessage m = MessageStore::parseRecord(entry);
    QString body = m.body;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_preview->setPlainText(body);
    if (m.hasSubject)
        m_subject->setText(m.subject);
}

void SavedMessagesWindow::loadSelectedMessage()
{
    const int row = m_messageList->currentRow();
    if (row < 0)
        return;
    const QString entry = m_messageList->item(row)->text();
    const SavedMessage m = MessageStore::parseRecord(entry);
    if (entry.isEmpty() || m.body.isEmpty()) {
        m_dialogs.message(this, QStringLiteral("cannot insert a blank message"), Identity::productName());
        return;
    }
    emit messageChosen(m.body, m.subject, m.hasSubject);
}

void SavedMessagesWindow::deleteSelectedMessage()
{
    const int position = m_messageList->currentRow();
    if (position < 0 || position >= m_messageList->count())
        return;
    MessageStore store(m_folder);
    QString error;
    if (!store.remove(m_messageList->item(position)->text(), &error)) {
        m_dialogs.message(this, tr("The message could not be deleted:\r\n%1").arg(error), Identity::productName(),
            DialogService::Icon::Exclamation);
        return;
    }
    loadMessageList();
}
