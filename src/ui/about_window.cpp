#include "ui/about_window.h"

#include "platform/identity.h"
#include "ui/controls.h"
#include "ui/program_icon.h"
#include "ui/skin.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutWindow::AboutWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *picture = named<QLabel>(this, "Picture1");
    picture->setProperty("pictureBox", true);
    picture->setPixmap(drawProductPicture(396, 90));
    m_productName = named<QLabel>(this, "Label1");
    m_productName->setText(QStringLiteral("YourProgramName"));
    QFont big = m_productName->font();
    big.setPointSize(big.pointSize() + 5);
    m_productName->setFont(big);
    m_version = named<QLabel>(this, "lblVersion");
    m_company = named<QLabel>(this, "lblCompany");
    m_website = named<QLabel>(this, "lblWebsite");

    auto *facts = new QFormLayout;
    facts->addRow(labelFor(this, "Label2", QStringLiteral("Version:"), nullptr), m_version);
    facts->addRow(labelFor(this, "Label3", QStringLiteral("Owned By:"), nullptr), m_company);
    facts->addRow(labelFor(this, "Label4", QStringLiteral("Website:"), nullptr), m_website);
    auto *column = new QVBoxLayout(this);
    column->addWidget(picture);
    column->addWidget(m_productName);
    column->addLayout(facts);
    // The window is as large as what it shows, no larger.
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutWindow::loadWindow()
{
    setWindowTitle(QLatin1String("About ") + Identity::productName());
    m_productName->setText(Identity::productName());
    m_company->setText(Identity::companyName());
    m_version->setText(QStringLiteral("%1.%2").arg(Identity::versionMajor).arg(Identity::versionMinor));
    m_website->setText(Identity::publisherAddress());
    applySkin(this);
}
