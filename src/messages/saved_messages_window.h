#pragma once

#include <QWidget>

class MainWindow;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// Form3, "load a saved message": the lines of messages.txt, a preview of the
// clicked one, double-click to load it, and delete.
class SavedMessagesWindow : public QWidget {
    Q_OBJECT
public:
    explicit SavedMessagesWindow(MainWindow *main);
    // False when there is no message file: the window is then not shown.
    bool loadWindow();
    bool loadMessageList();
    void deleteMessage(int position);

    void List1_Click();
    void List1_DblClick();
    void Command1_Click();

    QListWidget *List1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *txtSubject = nullptr;
    QPushButton *Command1 = nullptr;

private:
    MainWindow *m_main;
};
