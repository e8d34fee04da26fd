#pragma once

#include "app/app_services.h"
#include "app/window_layout.h"
#include "browser/form_scanner.h"
#include "messages/markup_template.h"
#include "messages/saved_messages_window.h"
#include "messages/template_editor.h"
#include "ui/about_window.h"
#include "ui/help_window.h"
#include "watch/watch_lists.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSet>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QToolButton;
class MessageWriter;
class PageFetch;
class ReplyCheckRun;

// The main window, Form1: the message editor, the browser, the forum and
// watch lists, the menus and the status bar.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppServices services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The load sequence: runs once, before the window is shown.
    void load();
    // The unload sequence: writes the lists and the last message. Runs once.
    void unload();
    bool isUnloaded() const { return m_unloaded; }

    // Plain text with CR LF line breaks, as the message is stored and sent.
    QString messageText() const;
    void setMessageText(const QString &text);
    QString subjectText() const;
    void setSubjectText(const QString &text);
    // The outgoing message: the message, two line breaks, converted.
    QString outgoingMessage() const;
    QString convertMessage(const QString &text) const;

    void updateInterface();
    void layoutWindow();
    void showHelpWindow();
    void setStatusText(int panel, const QString &text);
    QString statusText(int panel) const;

    // Control handlers, named after the control and the event.
    void cmdMessage_Click();
    void cmdPaste_Click(int index);
    void cmdCopy_Click();
    void cmdPreview_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    void cmdOptions_Click();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click(int index);
    void cmdAdd_Click();
    void cmdDel_Click();
    void cmdAdd2_Click();
    void cmdDel2_Click();
    void cmdReplies_Click();
    void TabStrip1_Click();
    void TabStrip2_Click();
    void selectPostsTab(int index);
    void mnuFile_Click(int index);
    void mnuTools_Click(int index);
    void mnuView_Click(int index);
    void aboutMenuItem_Click(int index);
    void mnuAboutItem_Click();

    void saveMessage();
    bool saveLogins();
    void watchThisPost(const QString &url);
    void startSizeFetch(quint64 postId);

    // State shared by Auto-Insert, the list double-clicks and the automatic watch.
    int watchCountdown() const { return m_watchCountdown; }
    void setWatchCountdown(int value) { m_watchCountdown = value; }
    QString insertedMessage() const { return m_insertedMessage; }

    const WatchedPosts &watchedPosts() const { return m_posts; }
    const ForumList &forums() const { return m_forums; }
    TemplateSet &templates() { return m_templates; }
    const AppServices &services() const { return m_services; }
    class WebBrowser *browser() const { return m_browser; }
    PageFetch *sizeFetch() const { return m_sizeFetch; }
    PageFetch *postFetch() const { return m_postFetch; }
    ReplyCheckRun *checkRun() const { return m_check; }
    SavedMessagesWindow *savedMessagesWindow() const { return m_form3; }
    TemplateEditor *templateEditor() const { return m_frmCustom; }
    HelpWindow *helpWindow() const { return m_form8; }
    AboutWindow *aboutWindow() const { return m_frmAbout; }
    // Windows the unload sequence closes first (the splash).
    void setSplash(QWidget *splash) { m_splash = splash; }

    // The geometry the layout last applied, in twips.
    const WindowLayout &lastLayout() const { return m_layout; }

signals:
    // Auto-Insert ended: written or not.
    void autoInsertDone(bool written);
    void autoWatchChecked(bool found);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void connectBrowser();
    void connectWatch();
    void readListFiles();
    void refreshPostLists();
    void refreshForumLists();
    void refreshNewList();
    void finishAutoInsert(const FormScanner::Result &scan, bool havePage);
    void onDownloadComplete();
    void runAutoWatchCheck(const QString &url);
    void onLoginChanged();
    void onForumSelected();
    void onSizeFetched(qint64 bytes);
    void onSizeFetchFailed(bool startError, int number, const QString &description);
    void startNextSizeFetch();
    void showFetchError(bool startError, int number, const QString &description);
    QString boxTitle() const;

    AppServices m_services;
    TemplateSet m_templates;
    WatchedPosts m_posts;
    ForumList m_forums;
    QSet<QString> m_unreadable; // data files that could not be read at start-up
    bool m_warnedLoginsUnreadable = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_fillingLoginBoxes = false;

    int m_watchCountdown = 0;
    QString m_insertedMessage;
    WindowLayout m_layout;

    // Size fetches waiting for the channel, by post id.
    QList<quint64> m_sizeQueue;
    quint64 m_sizeTarget = 0;

public:
    // Controls, by their names.
    QWidget *central = nullptr;
    QToolButton *cmdMessage = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *cmbConvert = nullptr;
    QToolButton *cmdPreview = nullptr;
    QToolButton *cmdCopy = nullptr;
    QToolButton *cmdSave = nullptr;
    QToolButton *cmdLoad = nullptr;
    QToolButton *cmdOptions = nullptr;
    QToolButton *Command1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QTabBar *TabStrip2 = nullptr;
    QFrame *Frame4 = nullptr;
    QFrame *Frame3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *SkinLabel6 = nullptr;
    QLineEdit *txtSubject = nullptr;
    QPushButton *cmdPaste[4] = {};
    QLabel *Label7 = nullptr;
    QLabel *SkinLabel7 = nullptr;
    QPlainTextEdit *txtMessage = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *Text5 = nullptr;
    QToolButton *Command3 = nullptr;
    QToolButton *Command4 = nullptr;
    QToolButton *Command5 = nullptr;
    QToolButton *Command6 = nullptr;
    QToolButton *Command7_1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QListWidget *lstLogins = nullptr;
    QPushButton *cmdAdd2 = nullptr;
    QPushButton *cmdDel2 = nullptr;
    QLabel *SkinLabel4 = nullptr;
    QLineEdit *txtUsername = nullptr;
    QLabel *SkinLabel5 = nullptr;
    QLineEdit *txtPassword = nullptr;
    QListWidget *lstPosts2 = nullptr;
    QToolButton *cmdAdd = nullptr;
    QToolButton *cmdDel = nullptr;
    QTabBar *TabStrip1 = nullptr;
    QPushButton *cmdReplies = nullptr;
    QListWidget *lstPosts = nullptr;
    QListWidget *lstNew = nullptr;
    QListWidget *lstSizes = nullptr;
    QList<QLabel *> statusPanels;
    QList<QAction *> mnuFile;
    QList<QAction *> mnuTools;
    QList<QAction *> mnuView;
    QList<QAction *> aboutMenuItem;
    QAction *mnuAboutItem = nullptr;
    // Skin-label arrays: member 0 on the window, in "Message Editor", in "Browser".
    QList<QLabel *> SkinLabel1;
    QList<QLabel *> SkinLabel2;
    QList<QLabel *> SkinLabel3;

private:
    class WebBrowser *m_browser = nullptr;
    MessageWriter *m_writer = nullptr;
    PageFetch *m_sizeFetch = nullptr; // wscSizes
    PageFetch *m_postFetch = nullptr; // wscPosts
    ReplyCheckRun *m_check = nullptr;
    QPointer<SavedMessagesWindow> m_form3;
    QPointer<TemplateEditor> m_frmCustom;
    QPointer<HelpWindow> m_form8;
    QPointer<AboutWindow> m_frmAbout;
    QPointer<QWidget> m_splash;
};
