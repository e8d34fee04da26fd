#include "browser/auto_insert_controller.h"

#include "browser/form_scanner.h"
#include "browser/message_writer.h"
#include "browser/page_scripts.h"
#include "platform/dialog_service.h"
#include "platform/web_browser.h"

#include <QPointer>

namespace {
const QString kHtmlTempFile = QStringLiteral("htmltemp.txt");
}

AutoInsertController::AutoInsertController(WebBrowser &browser, DataFolder folder, DialogService &dialogs,
    std::function<Outgoing()> outgoingMessage, QObject *parent)
    : QObject(parent)
    , m_browser(browser)
    , m_folder(std::move(folder))
    , m_dialogs(dialogs)
    , m_outgoingMessage(std::move(outgoingMessage))
    , m_writer(new MessageWriter(&browser, this))
{
}

void AutoInsertController::autoInsert()
{
    // The outer HTML first; the inner HTML is fetched only when the first
    // pass finds no posting form, so a large page crosses over once.
    QPointer<AutoInsertController> self(this);
    m_browser.runJavaScript(PageScripts::readBodyHtml(false), [self](const QVariant &outer) {
        if (!self)
            return;
        const FormScanner::Result first = FormScanner::scanPass(outer.toString(), FormScanner::Pass::OuterHtml);
        if (first.formIndex >= 0 || outer.isNull() || !outer.isValid()) {
            self->finishAutoInsert(first, outer.isValid() && !outer.isNull());
            return;
        }
        self->m_browser.runJavaScript(PageScripts::readBodyHtml(true), [self](const QVariant &inner) {
            if (self)
                self->finishAutoInsert(FormScanner::scanPass(inner.toString(), FormScanner::Pass::InnerHtml), true);
        });
    });
}

void AutoInsertController::finishAutoInsert(const FormScanner::Result &scan, bool havePage)
{
    // Nothing reads htmltemp.txt back, so a failed save does not stop the insert.
    QString error;
    if (!m_folder.writeText(kHtmlTempFile, scan.savedText, &error))
        emit pageSourceNotSaved(QStringLiteral("%1 could not be saved: %2").arg(kHtmlTempFile, error));
    if (!havePage) {
        reportFailure();
        return;
    }
    const bool formFound = scan.formIndex >= 0 && scan.fieldIndex >= 0;
    const Outgoing outgoing = m_outgoingMessage();
    QPointer<AutoInsertController> self(this);
    m_writer->write(scan.formIndex, scan.fieldIndex, outgoing.text, outgoing.isHtml,
        [self, text = outgoing.text, formFound](bool written) {
            if (!self)
                return;
            // The automatic watch starts even when a posting form's field
            // could not be written; without a form, only when the page took it.
            if (formFound || written) {
                self->m_insertedMessage = text;
                self->m_watchCountdown = kWatchedLoads;
            }
            if (written)
                emit self->autoInsertDone(true);
            else
                self->reportFailure();
        });
}

void AutoInsertController::reportFailure()
{
    m_dialogs.message(nullptr, QStringLiteral("Could not auto-insert your message.  Try pasting instead."),
        QStringLiteral("Auto-Insert Error"));
    emit autoInsertDone(false);
}

void AutoInsertController::watchNextLoads()
{
    m_watchCountdown = kWatchedLoads;
}

void AutoInsertController::checkLoadedPage(const QString &url)
{
    const bool search = m_watchCountdown >= 1 && m_watchCountdown <= kWatchedLoads;
    if (m_watchCountdown > 0)
        --m_watchCountdown;
    if (!search)
        return;
    const QString key = watchKey(m_insertedMessage);
    QPointer<AutoInsertController> self(this);
    m_browser.runJavaScript(PageScripts::readBody(), [self, key, url](const QVariant &body) {
        if (!self)
            return;
        const QVariantMap map = body.toMap();
        // A page without a body counts as not showing the message.
        const bool found = !map.isEmpty()
            && pageShowsKey(
                key, map.value(QStringLiteral("outer")).toString(), map.value(QStringLiteral("inner")).toString());
        if (found) {
            self->m_watchCountdown = 0; // the first hit ends the search
            emit self->messageShown(url);
        }
        emit self->autoWatchChecked(found);
    });
}
