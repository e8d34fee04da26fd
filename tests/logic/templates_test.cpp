#include "messages/markup_template.h"
#include "support/memory_settings_store.h"

#include <gtest/gtest.h>

#include <QList>

#include <QTemporaryDir>

TEST(Templates, DefaultsAndKeyPrefixes)
{
    TemplateSet set;
    EXPECT_EQ(set.at(0).name, "html");
    EXPECT_EQ(set.at(0).linkOpen01, "<a href='");
    EXPECT_EQ(set.at(1).linkClose01, "[/url]");
    EXPECT_EQ(set.at(2).name, "ezboard");
    EXPECT_EQ(set.at(2).linkOpen01, "[link=");
    for (int i = 3; i < 8; ++i)
        EXPECT_TRUE(set.at(i) == MarkupTemplate()) << i;
    const QStringList prefixes = { "html", "ubb", "ez", "cust01", "cust02", "cust03", "cust04", "cust05" };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(TemplateSet::keyPrefix(i), prefixes[i]);
    EXPECT_EQ(set.converterList(), QStringList({ "text", "html", "ubb", "ezboard" }));
}

TEST(Templates, AbsentKeysReadAsDefaultsAndStoredEmptyStaysEmpty)
{
    MemorySettingsStore store;
    store.write("data", "ubbLinkOpen01", "");
    store.write("data", "cust03Name", "myforum");
    TemplateSet set;
    set.load(store);
    EXPECT_EQ(set.at(1).linkOpen01, "");
    EXPECT_EQ(set.at(1).linkOpen02, "]");
    EXPECT_EQ(set.at(5).name, "myforum");
    EXPECT_EQ(set.converterList(), QStringList({ "text", "html", "ubb", "ezboard", "myforum" }));
}

TEST(Templates, RoundTripThroughTheIniStore)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("t.ini");
    TemplateSet set;
    set.at(0).name = "";
    set.at(3) = { "forum", "<<", "|", ">>", "mail:" };
    set.at(7).mailCall01 = "x=y;z";
    {
        auto store = QtSettingsStore::atPath(ini);
        set.save(*store);
    }
    auto store = QtSettingsStore::atPath(ini);
    EXPECT_TRUE(store->contains("data", "htmlName"));
    TemplateSet back;
    back.load(*store);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(back.at(i) == set.at(i)) << i;
    EXPECT_EQ(back.converterList(), QStringList({ "text", "ubb", "ezboard", "forum" }));
}

TEST(Templates, SaveWritesAllFortyKeys)
{
    MemorySettingsStore store;
    TemplateSet().save(store);
    EXPECT_EQ(store.writeCount(), 40);
    EXPECT_TRUE(store.contains("data", "cust05MailCall01"));
    EXPECT_TRUE(store.contains("data", "ezName"));
}
