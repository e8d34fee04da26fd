#pragma once

class QAction;
class QMenuBar;

// The main window's menus. Commands that a button repeats are the panels'
// actions, shared with the button; the others are made here. Every action
// is named for what it does ("autoInsert"), and the window connects it to
// what does the work.
struct MainMenu {
    // The panels' commands that the menus show.
    struct Shared {
        QAction *saveMessage = nullptr;
        QAction *loadMessage = nullptr;
        QAction *preview = nullptr;
        QAction *autoInsert = nullptr;
        QAction *checkReplies = nullptr;
        QAction *options = nullptr;
        QAction *pasteMessage = nullptr;
        QAction *pasteSubject = nullptr;
        QAction *pasteUserName = nullptr;
        QAction *pastePassword = nullptr;
    };

    // File
    QAction *newMessage = nullptr;
    QAction *exit = nullptr;
    // Tools
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

    static MainMenu build(QMenuBar *bar, const Shared &shared);
};
