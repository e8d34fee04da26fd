#include "support/test_app.h"
#include "ui/skin.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TEST(Skin, RecolorsControlsByType)
{
    QWidget window;
    auto *button = new QPushButton(&window);
    auto *text = new QLineEdit(&window);
    auto *list = new QListWidget(&window);
    auto *check = new QCheckBox(&window);
    auto *picture = new QLabel(&window);
    picture->setProperty("pictureBox", true);
    const QPalette checkBefore = check->palette();
    const QColor back(1, 2, 3), fore(4, 5, 6), panel(7, 8, 9);
    recolorControls(&window, back, fore, panel);
    EXPECT_EQ(controlTypeName(button), "CommandButton");
    EXPECT_EQ(controlTypeName(text), "TextBox");
    EXPECT_EQ(controlTypeName(list), "ListBox");
    EXPECT_EQ(button->palette().color(QPalette::Button), back);
    EXPECT_EQ(text->palette().color(QPalette::Base), back);
    EXPECT_EQ(text->palette().color(QPalette::Text), fore);
    EXPECT_EQ(list->palette().color(QPalette::Base), back);
    EXPECT_EQ(list->palette().color(QPalette::Text), fore);
    EXPECT_EQ(picture->palette().color(QPalette::Window), panel);
    EXPECT_EQ(check->palette(), checkBefore) << "a check box keeps its colours";
}

TEST(Skin, IconHasEverySize)
{
    TestApp t;
    MainWindow &w = t.start();
    const QList<QSize> sizes = w.windowIcon().availableSizes();
    for (int s : { 16, 24, 32, 48, 64, 128 })
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
    setOnTop(&w, true);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    setOnTop(&w, false);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
}
