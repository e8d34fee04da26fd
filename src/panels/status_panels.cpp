#include "panels/status_panels.h"

#include "net/http_response_counter.h"
#include "watch/reply_check.h"

#include <QLabel>

namespace {
// Room for each panel in the proportions of the design: results, address, progress.
constexpr int kStretch[3] = { 4, 4, 3 };
} // namespace

StatusPanels::StatusPanels(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    for (int number = 1; number <= 3; ++number) {
        auto *panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(number));
        // A long text is cut at the panel's edge; it never makes the window wider.
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(panel, kStretch[number - 1]);
        m_panels.append(panel);
    }
    connect(this, &QStatusBar::messageChanged, this, [this](const QString &notice) { showPanels(notice.isEmpty()); });
}

void StatusPanels::showPanels(bool shown)
{
    // Explicitly, also before the window is first shown: QStatusBar itself
    // hides only panels that are visible at the time.
    for (QLabel *panel : std::as_const(m_panels))
        panel->setVisible(shown);
}

QString StatusPanels::text(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1]->text() : QString();
}

void StatusPanels::setText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= m_panels.size())
        m_panels[panel - 1]->setText(text);
}

void StatusPanels::showResult(const QString &text)
{
    setText(1, text);
}

void StatusPanels::showAddress(const QString &url)
{
    setText(2, url);
}

void StatusPanels::showLoadStarted()
{
    setText(1, QStringLiteral("Connecting"));
}

void StatusPanels::showPageLoaded()
{
    setText(1, QStringLiteral("Complete"));
}

void StatusPanels::showFetchStep(PageFetch::Step step)
{
    switch (step) {
    case PageFetch::Step::Connecting:
        // A new page: the last one's progress is no longer news.
        setText(3, QString());
        setText(2, QStringLiteral("Connecting to the web server"));
        return;
    case PageFetch::Step::Sending:
        setText(2, QStringLiteral("Sending request"));
        return;
    case PageFetch::Step::RequestSent:
        setText(2, QStringLiteral("Request completed"));
        return;
    case PageFetch::Step::Receiving:
        setText(2, QStringLiteral("Receiving response"));
        return;
    }
}

void StatusPanels::showFetchProgress(qint64 bodyBytes, qint64 contentLength)
{
    setText(3, HttpResponseCounter::progressFor(bodyBytes, contentLength, text(3)));
}

void StatusPanels::showMeasureCompleted()
{
    setText(2, QStringLiteral("Response completed"));
}

void StatusPanels::showCheckProgress(int done, int total)
{
    setText(1, QStringLiteral("checking posts: %1 of %2 done").arg(done).arg(total));
}

void StatusPanels::showCheckFinished(int newReplies, int notChecked)
{
    QString text = QStringLiteral("finished - %1 new replies found").arg(newReplies);
    if (notChecked > 0)
        text += QStringLiteral(", %1 could not be checked").arg(notChecked);
    setText(1, text);
}

void StatusPanels::setCheckFailures(const QList<CheckFailure> &failures)
{
    QStringList lines;
    for (const CheckFailure &f : failures)
        lines.append(QStringLiteral("%1: %2 (%3)").arg(f.address, f.description).arg(f.number));
    m_panels.first()->setToolTip(lines.join(QLatin1Char('\n')));
}
