#pragma once

#include "platform/settings_store.h"

#include <QMap>
#include <QPair>

// A settings store that lives only in memory.
class MemorySettingsStore : public SettingsStore {
public:
    QString read(const QString &section, const QString &key, const QString &defaultValue) const override
    {
        return m_values.value({ section, key }, defaultValue);
    }
    void write(const QString &section, const QString &key, const QString &value) override
    {
        m_values.insert({ section, key }, value);
        ++m_writes;
    }
    bool contains(const QString &section, const QString &key) const override
    {
        return m_values.contains({ section, key });
    }
    int writeCount() const { return m_writes; }

private:
    QMap<QPair<QString, QString>, QString> m_values;
    int m_writes = 0;
};
