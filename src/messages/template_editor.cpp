#include "messages/template_editor.h"

#include "app/main_window.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLabel *label(QWidget *parent, const QString &name, const QString &text, int x, int y, int w, int h)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    return l;
}
} // namespace

TemplateEditor::TemplateEditor(MainWindow *main)
    : QWidget(main, Qt::Window)
    , m_main(main)
{
    setObjectName(QStringLiteral("frmCustom"));
    setWindowTitle(QStringLiteral("Custom Message Templates"));
    setAttribute(Qt::WA_DeleteOnClose); // the close box discards unsaved edits
    setFixedSize(760, 420);

    auto *intro = label(this, QStringLiteral("Label1"),
        QStringLiteral("You may use this form to create custom templates for message insertion.  "
                       "Just enter the name, and the required parameters.  Your template will then be "
                       "displayed in the drop down box on the main form.  We don't recommend changing "
                       "the default templates, but if they become outdated you may wish to update them."),
        12, 8, 696, 64);
    intro->setWordWrap(true);
    intro->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const int x0 = 40, colW = 124, gap = 6, top = 104, rowH = 30;
    const char *headings[5] = { "Name", "Link Open", "Link Middle", "Link End", "Email" };
    for (int c = 0; c < 5; ++c)
        label(this, QStringLiteral("lblHeading_%1").arg(c), QLatin1String(headings[c]), x0 + c * (colW + gap), 80, colW,
            20);
    for (int r = 0; r < kRows; ++r) {
        const int y = top + r * rowH;
        label(this, QStringLiteral("lblRow_%1").arg(r), QString::number(r + 1), 14, y + 3, 20, 20);
        QLineEdit **columns[5] = { txtName, txtLinkOpen01, txtLinkOpen02, txtLinkClose, txtMailCall };
        const char *names[5] = { "txtName", "txtLinkOpen01", "txtLinkOpen02", "txtLinkClose", "txtMailCall" };
        for (int c = 0; c < 5; ++c) {
            auto *e = new QLineEdit(this);
            e->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(names[c])).arg(r));
            e->setGeometry(x0 + c * (colW + gap), y, colW, 24);
            columns[c][r] = e;
        }
        cmdDel[r] = new QPushButton(QStringLiteral("del"), this);
        cmdDel[r]->setObjectName(QStringLiteral("cmdDel_%1").arg(r));
        cmdDel[r]->setGeometry(x0 + 5 * (colW + gap), y, 40, 24);
        connect(cmdDel[r], &QPushButton::clicked, this, [this, r] { cmdDel_Click(r); });
        if (r < 3) {
            // The built-in rows start locked.
            for (int c = 0; c < 5; ++c)
                columns[c][r]->setEnabled(false);
            cmdDel[r]->setEnabled(false);
        }
    }
    Check1 = new QCheckBox(QStringLiteral("Enable changing of default templates"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(40, top + kRows * rowH + 10, 360, 24);
    Command1 = new QPushButton(QStringLiteral("Save and Close"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(600, top + kRows * rowH + 6, 148, 32);
    auto *model = label(this, QStringLiteral("SkinLabel1_0"), QString(), 0, 0, 0, 0);
    model->setProperty("skinLabel", true);
    model->hide();

    connect(Check1, &QCheckBox::clicked, this, &TemplateEditor::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &TemplateEditor::Command1_Click);
}

void TemplateEditor::loadWindow()
{
    showTemplateFields();
    replaceLabels(this);
    applySkin(this);
}

void TemplateEditor::showTemplateFields()
{
    const TemplateSet &set = m_main->templates();
    for (int r = 0; r < kRows; ++r) {
        const MarkupTemplate &t = set.at(r);
        txtName[r]->setText(t.name);
        txtLinkOpen01[r]->setText(t.linkOpen01);
        txtLinkOpen02[r]->setText(t.linkOpen02);
        txtLinkClose[r]->setText(t.linkClose01);
        txtMailCall[r]->setText(t.mailCall01);
    }
}

void TemplateEditor::storeTemplateFields()
{
    TemplateSet &set = m_main->templates();
    for (int r = 0; r < kRows; ++r) {
        MarkupTemplate &t = set.at(r);
        t.name = txtName[r]->text();
        t.linkOpen01 = txtLinkOpen01[r]->text();
        t.linkOpen02 = txtLinkOpen02[r]->text();
        t.linkClose01 = txtLinkClose[r]->text();
        t.mailCall01 = txtMailCall[r]->text();
    }
    m_main->updateInterface();
}

void TemplateEditor::Check1_Click()
{
    const bool on = Check1->isChecked();
    for (int r = 0; r < 3; ++r) {
        txtLinkOpen01[r]->setEnabled(on);
        txtLinkOpen02[r]->setEnabled(on);
        txtLinkClose[r]->setEnabled(on);
        txtMailCall[r]->setEnabled(on);
        cmdDel[r]->setEnabled(on);
    }
}

void TemplateEditor::cmdDel_Click(int row)
{
    if (row < 0 || row >= kRows)
        return;
    txtName[row]->clear();
    txtLinkOpen01[row]->clear();
    txtLinkOpen02[row]->clear();
    txtLinkClose[row]->clear();
    txtMailCall[row]->clear();
}

void TemplateEditor::Command1_Click()
{
    storeTemplateFields();
    m_main->templates().save(*m_main->services().settings);
    hide();
}
