#pragma once

#include "platform/data_folder.h"

#include <QObject>
#include <QString>

#include <functional>

class DialogService;
class MessageWriter;
class WebBrowser;
namespace FormScanner {
struct Result;
}

// Auto-Insert and the automatic watch that follows it. Auto-Insert saves the
// page's body HTML, broken at its form tags, to htmltemp.txt, finds the first
// form with a text area and writes the outgoing message into what that form
// will post: the text area, or the rich-text editor that stands in its place.
// A page without such a form gets the message in its editable box. For the
// next four page loads each page is searched for the message's first line;
// the first page that shows it is watched.
class AutoInsertController : public QObject {
    Q_OBJECT
public:
    static constexpr int kWatchedLoads = 4;

    // The message to insert, and whether it is the user's own HTML markup.
    struct Outgoing {
        QString text;
        bool isHtml = false;
    };

    AutoInsertController(WebBrowser &browser, DataFolder folder, DialogService &dialogs,
        std::function<Outgoing()> outgoingMessage, QObject *parent = nullptr);

    int watchCountdown() const { return m_watchCountdown; }
    void setWatchCountdown(int value) { m_watchCountdown = value; }
    QString insertedMessage() const { return m_insertedMessage; }

public slots:
    void autoInsert();
    // A post was opened from a list: its page is watched again once it shows
    // the message last inserted.
    void watchNextLoads();
    // A page finished loading.
    void checkLoadedPage(const QString &url);

signals:
    // Auto-Insert ended: written or not.
    void autoInsertDone(bool written);
    // The automatic watch looked at a page.
    void autoWatchChecked(bool found);
    // The page at url shows the inserted message: watch it.
    void messageShown(const QString &url);
    // htmltemp.txt could not be saved; the insert goes on. text says why.
    void pageSourceNotSaved(const QString &text);

private:
    void finishAutoInsert(const FormScanner::Result &scan, bool havePage);
    void reportFailure();

    WebBrowser &m_browser;
    DataFolder m_folder;
    DialogService &m_dialogs;
    std::function<Outgoing()> m_outgoingMessage;
    MessageWriter *m_writer = nullptr;
    int m_watchCountdown = 0;
    QString m_insertedMessage;
};
