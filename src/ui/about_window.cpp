#include "ui/about_window.h"

#include "platform/identity.h"
#include "ui/placement.h"
#include "ui/program_icon.h"
#include "ui/skin.h"

#include <QLabel>

namespace {
QLabel *at(QWidget *parent, const char *name, const QString &text, int x, int y, int w, int h, bool skinLabel)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (skinLabel)
        l->setProperty("skinLabel", true);
    return l;
}
} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(420, 250);
    QLabel *picture = at(this, "Picture1", QString(), 12, 12, 396, 90, false);
    picture->setProperty("pictureBox", true);
    picture->setPixmap(drawProductPicture(396, 90));
    m_productName = at(this, "Label1", QStringLiteral("YourProgramName"), 20, 112, 380, 28, true);
    QFont big = m_productName->font();
    big.setPointSize(big.pointSize() + 5);
    m_productName->setFont(big);
    at(this, "Label2", QStringLiteral("Version:"), 20, 148, 100, 22, false);
    m_version = at(this, "lblVersion", QString(), 130, 148, 270, 22, true);
    at(this, "Label3", QStringLiteral("Owned By:"), 20, 176, 100, 22, false);
    m_company = at(this, "lblCompany", QString(), 130, 176, 270, 22, true);
    at(this, "Label4", QStringLiteral("Website:"), 20, 204, 100, 22, false);
    m_website = at(this, "lblWebsite", QString(), 130, 204, 270, 22, true);
    makeSkinLabelModel(this, "SkinLabel1_0");
}

void AboutWindow::loadWindow()
{
    setWindowTitle(QLatin1String("About ") + Identity::productName());
    m_productName->setText(Identity::productName());
    m_company->setText(Identity::companyName());
    m_version->setText(QStringLiteral("%1.%2").arg(Identity::versionMajor).arg(Identity::versionMinor));
    m_website->setText(Identity::publisherAddress());
    replaceLabels(this);
    applySkin(this);
}
