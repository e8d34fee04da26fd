#include "browser/message_writer.h"

#include "browser/editor_scripts.h"
#include "browser/page_scripts.h"
#include "platform/web_browser.h"

#include <QTimer>

namespace {
// Writes are numbered across all writers, so that a check never reads the
// state of another writer's write in the same page.
int nextWriteId()
{
    static int last = 0;
    return ++last;
}
} // namespace

struct MessageWriter::Job {
    int id = 0;
    int checksLeft = kChecks;
    int stepsLeft = kMaxSteps;
    bool finished = false;
    Done done;
};

MessageWriter::MessageWriter(WebBrowser *browser, QObject *parent)
    : QObject(parent)
    , m_browser(browser)
{
}

void MessageWriter::write(int formIndex, int fieldIndex, const QString &message, bool insertAsHtml, Done done)
{
    auto job = std::make_shared<Job>();
    job->id = nextWriteId();
    job->done = std::move(done);
    if (!m_browser) {
        finish(job, false);
        return;
    }
    const QString html = editorHtml(message, insertAsHtml);
    QPointer<MessageWriter> self(this);
    auto answer = [self, job](const QVariant &result) {
        if (self)
            self->onEditorAnswer(job, result);
    };
    // An editor takes a selection made by script only while its page has the
    // keyboard focus, as when the user clicks into it before pasting.
    if (formIndex < 0 || fieldIndex < 0) {
        m_browser->setFocus();
        m_browser->runJavaScriptInPage(EditorScripts::writeEditable(message, html, insertAsHtml, job->id), answer);
        return;
    }
    // The plain text area is written in its own world as before; only a field
    // that an editor stands in for takes a second run beside the page's scripts.
    m_browser->runJavaScript(PageScripts::setFormField(formIndex, fieldIndex, message),
        [self, job, answer, formIndex, fieldIndex, message, html, insertAsHtml](const QVariant &result) {
            if (!self)
                return;
            if (result.toString() != QLatin1String("editor")) {
                finish(job, result.toBool());
                return;
            }
            if (!self->m_browser)
                return;
            self->m_browser->setFocus();
            self->m_browser->runJavaScriptInPage(
                EditorScripts::writeFormEditor(formIndex, fieldIndex, message, html, insertAsHtml, job->id), answer);
        });
}

void MessageWriter::onEditorAnswer(const std::shared_ptr<Job> &job, const QVariant &answer)
{
    const QVariantMap map = answer.toMap();
    if (!map.value(QStringLiteral("pending")).toBool()) {
        finish(job, map.value(QStringLiteral("ok")).toBool());
        return;
    }
    // Waits for the editor have a budget of their own: a long message typed
    // line by line takes many steps that are not waits.
    if ((map.value(QStringLiteral("wait")).toBool() && --job->checksLeft < 0) || --job->stepsLeft < 0) {
        finish(job, false);
        return;
    }
    QPointer<MessageWriter> self(this);
    QTimer::singleShot(kCheckIntervalMs, this, [self, job] {
        if (!self || !self->m_browser)
            return;
        self->m_browser->runJavaScriptInPage(EditorScripts::checkWrite(job->id), [self, job](const QVariant &result) {
            if (self)
                self->onEditorAnswer(job, result);
        });
    });
}

void MessageWriter::finish(const std::shared_ptr<Job> &job, bool written)
{
    if (job->finished)
        return;
    job->finished = true;
    // The caller may delete the writer from its callback.
    const Done done = std::move(job->done);
    if (done)
        done(written);
}

QString MessageWriter::editorHtml(const QString &message, bool insertAsHtml)
{
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (!insertAsHtml) {
        text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
        text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
        text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    }
    // As the editors' own paste of plain text: two line breaks end a paragraph.
    text.replace(QLatin1String("\n\n"), QLatin1String("</p><p>"));
    text.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QLatin1String("<p>") + text + QLatin1String("</p>");
}
