#include "ui/help_window.h"

#include "platform/data_folder.h"
#include "platform/settings_store.h"
#include "ui/rtf_reader.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QString helpFile, SettingsStore &settings, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_helpFile(std::move(helpFile))
    , m_settings(settings)
{
    setObjectName(QStringLiteral("Form8"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Readme/Help"));
    auto *layout = new QVBoxLayout(this);
    rtf1 = new QTextBrowser(this);
    rtf1->setObjectName(QStringLiteral("rtf1"));
    rtf1->setPlainText(QStringLiteral("RichTextBox1"));
    rtf1->setOpenExternalLinks(true);
    Check1 = new QCheckBox(QStringLiteral("Show at Startup"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(true);
    layout->addWidget(rtf1);
    layout->addWidget(Check1);
    resize(640, 560);
    connect(Check1, &QCheckBox::clicked, this, &HelpWindow::Check1_Click);
}

bool HelpWindow::loadWindow()
{
    applySkin(this);
    if (!xfileExists(m_helpFile))
        return false;
    QFile file(m_helpFile);
    if (file.open(QIODevice::ReadOnly))
        rtf1->setHtml(RtfReader::toHtml(file.readAll()));
    setOnTop(this, true);
    Check1->setChecked(
        m_settings.read(QStringLiteral("Settings"), QStringLiteral("showHelp"), QStringLiteral("1")).toInt() != 0);
    return true;
}

void HelpWindow::Check1_Click()
{
    m_settings.write(QStringLiteral("Settings"), QStringLiteral("showHelp"),
        Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}
