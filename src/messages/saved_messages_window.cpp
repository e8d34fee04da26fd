#include "messages/saved_messages_window.h"

#include "app/identity.h"
#include "app/main_window.h"
#include "messages/message_store.h"
#include "platform/dialog_service.h"
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

SavedMessagesWindow::SavedMessagesWindow(MainWindow *main)
    : QWidget(main, Qt::Window)
    , m_main(main)
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
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(12, 58, 260, 290);
    label(this, "Label4", QStringLiteral("Subject:"), 284, 36, 60, 20);
    txtSubject = new QLineEdit(this);
    txtSubject->setObjectName(QStringLiteral("txtSubject"));
    txtSubject->setGeometry(346, 32, 202, 24);
    txtSubject->setReadOnly(true);
    label(this, "Label2", QStringLiteral("click once to view the entire message"), 284, 62, 264, 20);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(284, 84, 264, 264);
    Text1->setReadOnly(true);
    Command1 = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("delete message"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(12, 356, 260, 32);
    auto *model = label(this, "SkinLabel1_0", QString(), 0, 0, 0, 0);
    model->setProperty("skinLabel", true);
    model->hide();

    connect(List1, &QListWidget::currentRowChanged, this, &SavedMessagesWindow::List1_Click);
    connect(List1, &QListWidget::itemClicked, this, &SavedMessagesWindow::List1_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &SavedMessagesWindow::List1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &SavedMessagesWindow::Command1_Click);
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
    MessageStore store(m_main->services().folder);
    if (!store.exists()) {
        m_main->services().dialogs->message(
            this, QStringLiteral("you must first save a message before you can load one"), Identity::productName());
        return false;
    }
    const LineFile file = store.lines();
    if (!file.ok) {
        m_main->services().dialogs->message(this, tr("The saved messages could not be read:\r\n%1").arg(file.error),
            Identity::productName(), DialogService::Icon::Exclamation);
    }
    QSignalBlocker block(List1);
    List1->clear();
    List1->addItems(file.lines);
    return true;
}

void SavedMessagesWindow::List1_Click()
{
    const int row = List1->currentRow();
    if (row < 0)
        return;
    const QString entry = List1->item(row)->text();
    if (entry.isEmpty())
        return;
    const SavedMessage m = MessageStore::parseRecord(entry);
    QString body = m.body;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    Text1->setPlainText(body);
    if (m.hasSubject)
        txtSubject->setText(m.subject);
}

void SavedMessagesWindow::List1_DblClick()
{
    const int row = List1->currentRow();
    if (row < 0)
        return;
    const QString entry = List1->item(row)->text();
    const SavedMessage m = MessageStore::parseRecord(entry);
    if (entry.isEmpty() || m.body.isEmpty()) {
        m_main->services().dialogs->message(
            this, QStringLiteral("cannot insert a blank message"), Identity::productName());
        return;
    }
    m_main->setMessageText(m.body);
    if (m.hasSubject)
        m_main->setSubjectText(m.subject);
}

void SavedMessagesWindow::Command1_Click()
{
    deleteMessage(List1->currentRow());
}

void SavedMessagesWindow::deleteMessage(int position)
{
    if (position < 0 || position >= List1->count())
        return;
    MessageStore store(m_main->services().folder);
    QString error;
    if (!store.remove(List1->item(position)->text(), &error)) {
        m_main->services().dialogs->message(this, tr("The message could not be deleted:\r\n%1").arg(error),
            Identity::productName(), DialogService::Icon::Exclamation);
        return;
    }
    List1->clear();
    loadMessageList();
}
