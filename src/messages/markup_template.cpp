#include "messages/markup_template.h"

#include "platform/settings_store.h"

namespace {
const QString kSection = QStringLiteral("data");
}

TemplateSet::TemplateSet()
{
    for (int i = 0; i < kSlotCount; ++i)
        m_slots[i] = defaultFor(i);
}

MarkupTemplate TemplateSet::defaultFor(int slot)
{
    const QString mail = QStringLiteral("mailto:");
    switch (slot) {
    case 0:
        return { QStringLiteral("html"), QStringLiteral("<a href='"), QStringLiteral("'>"), QStringLiteral("</a>"),
            mail };
    case 1:
        return { QStringLiteral("ubb"), QStringLiteral("[url="), QStringLiteral("]"), QStringLiteral("[/url]"), mail };
    case 2:
        return { QStringLiteral("ezboard"), QStringLiteral("[link="), QStringLiteral("]"), QStringLiteral("[/link]"),
            mail };
    default:
        return {};
    }
}

QString TemplateSet::keyPrefix(int slot)
{
    switch (slot) {
    case 0:
        return QStringLiteral("html");
    case 1:
        return QStringLiteral("ubb");
    case 2:
        return QStringLiteral("ez");
    default:
        return QStringLiteral("cust%1").arg(slot - 2, 2, 10, QLatin1Char('0'));
    }
}

const MarkupTemplate *TemplateSet::findByName(const QString &name) const
{
    for (const MarkupTemplate &t : m_slots)
        if (t.name == name)
            return &t;
    return nullptr;
}

QStringList TemplateSet::converterList() const
{
    QStringList list { QStringLiteral("text") };
    for (const MarkupTemplate &t : m_slots)
        if (!t.name.isEmpty())
            list.append(t.name);
    return list;
}

void TemplateSet::load(const SettingsStore &store)
{
    for (int i = 0; i < kSlotCount; ++i) {
        const QString p = keyPrefix(i);
        const MarkupTemplate d = defaultFor(i);
        MarkupTemplate &t = m_slots[i];
        t.name = store.read(kSection, p + QLatin1String("Name"), d.name);
        t.linkOpen01 = store.read(kSection, p + QLatin1String("LinkOpen01"), d.linkOpen01);
        t.linkOpen02 = store.read(kSection, p + QLatin1String("LinkOpen02"), d.linkOpen02);
        t.linkClose01 = store.read(kSection, p + QLatin1String("LinkClose01"), d.linkClose01);
        t.mailCall01 = store.read(kSection, p + QLatin1String("MailCall01"), d.mailCall01);
    }
}

void TemplateSet::save(SettingsStore &store) const
{
    for (int i = 0; i < kSlotCount; ++i) {
        const QString p = keyPrefix(i);
        const MarkupTemplate &t = m_slots[i];
        store.write(kSection, p + QLatin1String("Name"), t.name);
        store.write(kSection, p + QLatin1String("LinkOpen01"), t.linkOpen01);
        store.write(kSection, p + QLatin1String("LinkOpen02"), t.linkOpen02);
        store.write(kSection, p + QLatin1String("LinkClose01"), t.linkClose01);
        store.write(kSection, p + QLatin1String("MailCall01"), t.mailCall01);
    }
}
