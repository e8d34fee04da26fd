#pragma once

class QAction;
class QMenuBar;

// The main window's menus. Each item is an action named as the menu item
// always was ("mnuTools_4"); the window connects it to what does the work.
struct MainMenu {
    // File
    QAction *newMessage = nullptr;
    QAction *saveMessage = nullptr;
    QAction *loadMessage = nullptr;
    QAction *exit = nullptr;
    // Tools
    QAction *preview = nullptr;
    QAction *autoInsert = nullptr;
    QAction *checkReplies = nullptr;
    QAction *options = nullptr;
    QAction *pasteMessage = nullptr;
    QAction *pasteSubject = nullptr;
    QAction *pasteUserName = nullptr;
    QAction *pastePassword = nullptr;
    QAction *autoCheck = nullptr;
    QAction *keepPasswordsInFile = nullptr; // checkable
    // View
    QAction *savedMessages = nullptr;
    QAction *allPosts = nullptr;
    QAction *replies = nullptr;
    QAction *templates = nullptr;
    // Help and About
    QAction *viewHelp = nullptr;
    QAction *about = nullptr;

    static MainMenu build(QMenuBar *bar);
};
