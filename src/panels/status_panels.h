#pragma once

#include <QStatusBar>

class QLabel;
struct CheckFailure;

// The main window's status bar: one panel at first, three after the load
// sequence adds two. Panel 1 carries results, panel 2 an address or the
// connection's step, panel 3 the download's progress.
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget *parent = nullptr);

    void addPanels();
    QString text(int panel) const;
    // The widths from the layout, in twips.
    void fitTo(int panel1Width, int panel2Width, int panel3Width);
    // Panel 1's tip: the posts the last check run could not reach, and why.
    void setCheckFailures(const QList<CheckFailure> &failures);

public slots:
    void setText(int panel, const QString &text);

private:
    QLabel *addPanel(int number);

    QList<QLabel *> m_panels;
};
