#include "messages/saved_messages_window.h"

#include "messages/message_store.h"
#include "platform/dialog_service.h"
#include "platform/identity.h"
#include "ui/controls.h"
#include "ui/skin.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

SavedMessagesWindow::SavedMessagesWindow(DataFolder folder, DialogService &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_folder(std::move(folder))
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose); // closing unloads it
    setWindowTitle(QStringLiteral("load a saved message"));
    m_messageList = named<QListWidget>(this, "List1");
    m_subject = named<QLineEdit>(this, "txtSubject");
    m_subject->setReadOnly(true);
    m_preview = named<QPlainTextEdit>(this, "Text1");
    m_preview->setReadOnly(true);
    auto *title = labelFor(this, "Label3", QStringLiteral("Saved Messages"), nullptr);
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    title->setFont(f);
    auto *remove = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("delete message"), this);
    remove->setObjectName(QStringLiteral("Command1"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(
        labelFor(this, "Label1", QStringLiteral("double-click the message you wish to load:"), m_messageList), 1, 0);
    grid->addWidget(m_messageList, 2, 0, 2, 1);
    grid->addWidget(remove, 4, 0);
    grid->addWidget(labelFor(this, "Label4", QStringLiteral("Subject:"), m_subject), 1, 1);
    grid->addWidget(m_subject, 1, 2);
    grid->addWidget(
        labelFor(this, "Label2", QStringLiteral("click once to view the entire message"), m_preview), 2, 1, 1, 2);
    grid->addWidget(m_preview, 3, 1, 2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    resize(560, 400);

    connect(m_messageList, &QListWidget::currentRowChanged, this, &SavedMessagesWindow::showSelectedMessage);
    connect(m_messageList, &QListWidget::itemClicked, this, &SavedMessagesWindow::showSelectedMessage);
    connect(m_messageList, &QListWidget::itemDoubleClicked, this, &SavedMessagesWindow::loadSelectedMessage);
    connect(remove, &QPushButton::clicked, this, &SavedMessagesWindow::deleteSelectedMessage);
}

bool SavedMessagesWindow::loadWindow()
{
    if (!loadMessageList())
        return false;
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
