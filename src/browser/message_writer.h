#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class WebBrowser;

// Writes the outgoing message into what the current page's posting form will
// post, and reports once whether it got there. A plain text area is written
// as it stands, in one script run. A text area hidden by its own style has a
// rich-text editor in its place: the message then goes through the editor
// (its own API, a paste, or typed into its editable element) and is read back
// from what the editor hands to the form. Without a posting form the message
// goes into the page's editable element (the focused one, or else the
// largest). Every write is read back: the field or editor must hold the
// message and nothing else, or it gets back what it held and the write fails.
class MessageWriter : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool written)>;

    // How far apart the steps of a write through an editor are, and how often
    // an editor that takes its content later (CKEditor 4 reloads its frame) is
    // asked again before the write counts as failed.
    static constexpr int kChecks = 100;
    // A bound on the steps of one write, whatever the page answers.
    static constexpr int kMaxSteps = 1000;
    static constexpr int kCheckIntervalMs = 30;

    explicit MessageWriter(WebBrowser *browser, QObject *parent = nullptr);

    // formIndex and fieldIndex as the form scan found them, -1 when it found
    // no posting form. insertAsHtml: the message is the user's own HTML (the
    // "html" markup) and goes into an editor as markup; otherwise it is text.
    // done is called once, unless the page goes away first.
    void write(int formIndex, int fieldIndex, const QString &message, bool insertAsHtml, Done done);

    // The message as an editor's markup: each blank line starts a paragraph,
    // each other line break is a <br>, the line breaks at its end are left
    // out, and as text (not insertAsHtml) &, < and > are escaped.
    static QString editorHtml(const QString &message, bool insertAsHtml);

private:
    struct Job;
    void onEditorAnswer(const std::shared_ptr<Job> &job, const QVariant &answer);
    static void finish(const std::shared_ptr<Job> &job, bool written);

    QPointer<WebBrowser> m_browser;
};
