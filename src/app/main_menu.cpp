#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

struct Item {
    const char *caption;
    QAction **action;
};

QMenu *addMenu(QMenuBar *bar, const QString &title, const char *menuName, const char *itemPrefix,
    std::initializer_list<Item> items)
{
    QMenu *menu = bar->addMenu(title);
    menu->setObjectName(QLatin1String(menuName));
    int index = 0;
    for (const Item &item : items) {
        QAction *a = menu->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(itemPrefix)).arg(index++));
        *item.action = a;
    }
    return menu;
}

} // namespace

MainMenu MainMenu::build(QMenuBar *bar)
{
    MainMenu m;
    addMenu(bar, QStringLiteral("&File"), "mnuFileMenu", "mnuFile",
        { { "&New Message", &m.newMessage }, { "&Save Message", &m.saveMessage }, { "&Load Message", &m.loadMessage },
            { "E&xit", &m.exit } });
    QMenu *tools = addMenu(bar, QStringLiteral("&Tools"), "mnuToolsMenu", "mnuTools",
        { { "&Preview", &m.preview }, { "Auto &Insert", &m.autoInsert }, { "&Check Replies", &m.checkReplies },
            { "&Options", &m.options }, { "Paste Message", &m.pasteMessage }, { "Paste Subject", &m.pasteSubject },
            { "Paste Username", &m.pasteUserName }, { "Paste Password", &m.pastePassword },
            { "Check Replies &Automatically", &m.autoCheck } });
    // A setting, set apart from the commands; named for the place after "mnuTools_8".
    tools->addSeparator();
    m.keepPasswordsInFile = tools->addAction(QStringLiteral("Keep Passwords in the File"));
    m.keepPasswordsInFile->setObjectName(QStringLiteral("mnuTools_9"));
    m.keepPasswordsInFile->setCheckable(true);
    addMenu(bar, QStringLiteral("&View"), "mnuViewMenu", "mnuView",
        { { "&Saved Messages", &m.savedMessages }, { "&All posts", &m.allPosts }, { "&Replies", &m.replies },
            { "&Templates", &m.templates } });
    addMenu(bar, QStringLiteral("&Help"), "mnuHelpMenu", "aboutMenuItem", { { "View &Help", &m.viewHelp } });
    QMenu *about = bar->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAboutMenu"));
    m.about = about->addAction(QStringLiteral("About this software"));
    m.about->setObjectName(QStringLiteral("mnuAboutItem"));
    return m;
}
