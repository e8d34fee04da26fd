#pragma once

#include <QString>
#include <QStringList>

#include <array>

class SettingsStore;

// How one kind of forum writes a link.
struct MarkupTemplate {
    QString name;
    QString linkOpen01; // before the link target
    QString linkOpen02; // between the target and the visible text
    QString linkClose01; // after the visible text
    QString mailCall01; // before an e-mail address in the target

    bool operator==(const MarkupTemplate &o) const
    {
        return name == o.name && linkOpen01 == o.linkOpen01 && linkOpen02 == o.linkOpen02
            && linkClose01 == o.linkClose01 && mailCall01 == o.mailCall01;
    }
};

// The eight template slots: html, ubb and ezboard built in, five custom ones.
class TemplateSet {
public:
    static constexpr int kSlotCount = 8;
    static constexpr int kBuiltInCount = 3;

    TemplateSet(); // the defaults

    static MarkupTemplate defaultFor(int slot);
    // The settings key prefix of a slot: "html", "ubb", "ez", "cust01".."cust05".
    static QString keyPrefix(int slot);

    const MarkupTemplate &at(int slot) const { return m_slots.at(slot); }
    MarkupTemplate &at(int slot) { return m_slots.at(slot); }

    // The first slot whose name equals the given one exactly, or nullptr.
    const MarkupTemplate *findByName(const QString &name) const;
    // "text" followed by the non-empty names in slot order.
    QStringList converterList() const;

    // Absent keys read as the defaults; a stored empty value stays empty.
    void load(const SettingsStore &store);
    // All forty keys, slot by slot, fields in the order Name, LinkOpen01,
    // LinkOpen02, LinkClose01, MailCall01.
    void save(SettingsStore &store) const;

private:
    std::array<MarkupTemplate, kSlotCount> m_slots;
};
