#include "panels/status_panels.h"

#include "ui/twips.h"
#include "watch/reply_check.h"

#include <QLabel>

StatusPanels::StatusPanels(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    addPanel(1);
}

QLabel *StatusPanels::addPanel(int number)
{
    auto *panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(number));
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(panel, 1);
    m_panels.append(panel);
    return panel;
}

void StatusPanels::addPanels()
{
    while (m_panels.size() < 3)
        addPanel(static_cast<int>(m_panels.size()) + 1);
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

void StatusPanels::fitTo(int panel1Width, int panel2Width, int panel3Width)
{
    const int widths[3] = { panel1Width, panel2Width, panel3Width };
    // Only a maximum: a fixed width would make the status bar ask for more
    // room than the window has, and the window would grow on every layout.
    for (int i = 0; i < m_panels.size() && i < 3; ++i)
        m_panels[i]->setMaximumWidth(std::max(0, twipsToPixels(widths[i]) - 8));
}

void StatusPanels::setCheckFailures(const QList<CheckFailure> &failures)
{
    QStringList lines;
    for (const CheckFailure &f : failures)
        lines.append(QStringLiteral("%1: %2 (%3)").arg(f.address, f.description).arg(f.number));
    m_panels.first()->setToolTip(lines.join(QLatin1Char('\n')));
}
