#pragma once

#include <QWidget>

class QLabel;

// frmAbout: the product's name, version, owner and web address.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);
    void loadWindow();

    QLabel *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *lblCompany = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblWebsite = nullptr;
};
