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

TEST(Skin, PlainRegionOnlyOnNewerSystems)
{
    const Skin skin;
    setCurrentSkin(&skin);
    QWidget older;
    older.resize(100, 50);
    applySkin(&older, false);
    EXPECT_TRUE(older.mask().isEmpty());
    QWidget newer;
    newer.resize(100, 50);
    applySkin(&newer, true);
    EXPECT_TRUE(newer.mask().contains(QRect(0, 0, 100, 50)));
    const int before = skinCompanion().calls(3);
    prepareMainSkin(true);
    EXPECT_EQ(skinCompanion().calls(3), before + 1);
    prepareMainSkin(false);
    EXPECT_EQ(skinCompanion().calls(3), before + 1);
    setCurrentSkin(nullptr);
}

TEST(Skin, SkinLabelsGoToTheirContainers)
{
    TestApp t;
    MainWindow &w = t.start();
    // Label2 on the window, Label1 and Label7 in "Message Editor", Label5 in "Browser".
    auto *s1 = w.findChild<QLabel *>("SkinLabel1_1");
    ASSERT_NE(s1, nullptr);
    EXPECT_EQ(s1->text(), "as");
    EXPECT_EQ(s1->parentWidget(), t.find("Label2")->parentWidget());
    EXPECT_EQ(s1->geometry(), t.find("Label2")->geometry());
    EXPECT_NE(w.findChild<QLabel *>("SkinLabel2_1"), nullptr);
    EXPECT_NE(w.findChild<QLabel *>("SkinLabel2_2"), nullptr);
    EXPECT_EQ(w.findChild<QLabel *>("SkinLabel2_3"), nullptr);
    auto *s3 = w.findChild<QLabel *>("SkinLabel3_1");
    ASSERT_NE(s3, nullptr);
    EXPECT_EQ(s3->text(), "URL:");
    EXPECT_EQ(s3->parentWidget(), t.find("Frame2"));
    EXPECT_EQ(t.find<QLabel>("Label5")->text(), "URL:") << "the plain label is not changed";

    // A label in none of the three containers gets no skin label.
    auto *stray = new QLabel("stray", t.find("Frame4"));
    stray->setObjectName("strayLabel");
    const int before = w.findChildren<QLabel *>().size();
    replaceLabels(&w);
    const QList<QLabel *> after = w.findChildren<QLabel *>();
    for (QLabel *l : after)
        EXPECT_NE(l->text() == "stray" && l != stray, true);
    EXPECT_GT(after.size(), before);
}

TEST(Skin, WindowWithoutLabelsGainsNone)
{
    QWidget window;
    new QPushButton(&window);
    replaceLabels(&window);
    EXPECT_TRUE(window.findChildren<QLabel *>().isEmpty());
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
