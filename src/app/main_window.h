#pragma once

#include "app/app_services.h"
#include "messages/markup_template.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class AutoInsertController;
class CheckScheduler;
class DataLock;
class BrowserPanel;
class CommandBar;
class ForumLogins;
class ListsPanel;
class MessageDelivery;
class MessageEditorPanel;
class PageFetch;
class PostWatcher;
class QAction;
class QSplitter;
class ReplyCheckRun;
class SideWindows;
class StatusPanels;
class ForumStore;
class WatchStore;
class WebBrowser;
struct MainMenu;

// The main window composes the program: the command bar over a splitter
// between the left column (the message editor over the forum and post
// lists) and the browser, and the status bar. It owns the shared state,
// connects each command to what does the work and runs the load and unload
// sequences. Layouts place everything.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppServices services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The load sequence: runs once, before the window is shown.
    void load();
    enum class Shutdown { Interactive, Unattended };
    // The unload sequence: writes the lists and the last message, once. When
    // a list file cannot be written, an interactive close offers Retry and
    // Cancel, and Cancel keeps everything running (false is returned). An
    // unattended end (a signal, the desktop session) never opens a box: it
    // writes what it can and reports the rest on standard error.
    bool unload(Shutdown how = Shutdown::Unattended);
    bool isUnloaded() const { return m_unloaded; }
    // A window the unload sequence closes first (the splash).
    void setSplash(QWidget *splash) { m_splash = splash; }

    // The message, two line breaks, converted with the chosen format.
    QString outgoingMessage() const;
    QString statusText(int panel) const;

    MessageEditorPanel &messageEditor() const { return *m_editor; }
    AutoInsertController &autoInsertController() const { return *m_autoInsert; }
    TemplateSet &templates() { return m_templates; }
    PageFetch &sizeChannel() const { return *m_sizeChannel; }
    ReplyCheckRun &checkRun() const { return *m_check; }
    CheckScheduler &checkScheduler() const { return *m_scheduler; }
    SideWindows &sideWindows() const { return *m_sideWindows; }

public slots:
    // Refills the format list from the templates.
    void updateInterface();
    void saveMessage();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void visitPublisher();
    void previewMessage();
    void copyMessage();
    void pasteSubject();
    void pasteUserName();
    void pastePassword();
    void pasteMessage();
    void watchCurrentPage();
    void addCurrentForum();
    void showAndCheckReplies();
    void chooseAutoCheck();
    // Brought forward by a click on a notification, with the new replies in view.
    void showNewReplies();
    void openPost(const QString &url);
    void keepPasswordsInFile(bool inFile);

private:
    void buildPanels();
    void connectCommands(const MainMenu &menu);
    void connectWork();

    AppServices m_services;
    TemplateSet m_templates;
    std::unique_ptr<WatchStore> m_store;
    std::unique_ptr<ForumStore> m_forums;
    std::unique_ptr<DataLock> m_lock;
    WebBrowser *m_browser = nullptr;
    PageFetch *m_sizeChannel = nullptr;
    ReplyCheckRun *m_check = nullptr;
    CheckScheduler *m_scheduler = nullptr;
    PostWatcher *m_watcher = nullptr;
    ForumLogins *m_logins = nullptr;
    AutoInsertController *m_autoInsert = nullptr;
    std::unique_ptr<MessageDelivery> m_delivery;

    CommandBar *m_commandBar = nullptr;
    MessageEditorPanel *m_editor = nullptr;
    BrowserPanel *m_browserPanel = nullptr;
    ListsPanel *m_lists = nullptr;
    StatusPanels *m_status = nullptr;
    QSplitter *m_splitter = nullptr;

    SideWindows *m_sideWindows = nullptr;
    QAction *m_keepPasswordsInFile = nullptr;
    QPointer<QWidget> m_splash;

    bool m_unloaded = false;
};
