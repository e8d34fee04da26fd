#include "panels/status_panels.h"

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

void StatusPanels::setCheckFailures(const QList<CheckFailure> &failures)
{
    QStringList lines;
    for (const CheckFailure &f : failures)
        lines.append(QStringLiteral("%1: %2 (%3)").arg(f.address, f.description).arg(f.number));
    m_panels.first()->setToolTip(lines.join(QLatin1Char('\n')));
}
