#include "app/main_menu.h"

#include "ui/controls.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

QMenu *addMenu(QMenuBar *bar, const QString &title, const char *menuName, std::initializer_list<QAction *> items)
{
    QMenu *menu = bar->addMenu(title);
    menu->setObjectName(QLatin1String(menuName));
    for (QAction *item : items)
        menu->addAction(item);
    return menu;
}

} // namespace

MainMenu MainMenu::build(QMenuBar *bar, const Shared &shared)
{
    MainMenu m;
    m.newMessage = command(bar, "newMessage", QStringLiteral("&New Message"), QKeySequence::New);
    m.exit = command(bar, "exit", QStringLiteral("E&xit"), QKeySequence::Quit);
    addMenu(
        bar, QStringLiteral("&File"), "mnuFileMenu", { m.newMessage, shared.saveMessage, shared.loadMessage, m.exit });

    m.autoCheck = command(bar, "chooseAutoCheck", QStringLiteral("Check Replies &Automatically"));
    QMenu *tools = addMenu(bar, QStringLiteral("&Tools"), "mnuToolsMenu",
        { shared.preview, shared.autoInsert, shared.checkReplies, shared.options, shared.pasteMessage,
            shared.pasteSubject, shared.pasteUserName, shared.pastePassword, m.autoCheck });
    // A setting, set apart from the commands.
    tools->addSeparator();
    m.keepPasswordsInFile = command(bar, "keepPasswordsInFile", QStringLiteral("Keep Passwords in the File"));
    m.keepPasswordsInFile->setCheckable(true);
    tools->addAction(m.keepPasswordsInFile);

    m.savedMessages = command(bar, "showSavedMessages", QStringLiteral("&Saved Messages"));
    m.allPosts = command(bar, "showAllPosts", QStringLiteral("&All posts"));
    m.replies = command(bar, "showReplies", QStringLiteral("&Replies"));
    m.templates = command(bar, "showTemplates", QStringLiteral("&Templates"));
    addMenu(bar, QStringLiteral("&View"), "mnuViewMenu", { m.savedMessages, m.allPosts, m.replies, m.templates });

    m.viewHelp = command(bar, "showHelp", QStringLiteral("View &Help"), QKeySequence::HelpContents);
    addMenu(bar, QStringLiteral("&Help"), "mnuHelpMenu", { m.viewHelp });
    m.about = command(bar, "showAbout", QStringLiteral("About this software"));
    addMenu(bar, QStringLiteral("About"), "mnuAboutMenu", { m.about });
    return m;
}
