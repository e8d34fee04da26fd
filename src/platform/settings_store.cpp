#include "platform/settings_store.h"

#include <QSettings>

namespace {
QString fullKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QtSettingsStore::QtSettingsStore(const QString &applicationName)
    : m_settings(
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, applicationName, applicationName))
{
}

std::unique_ptr<QtSettingsStore> QtSettingsStore::atPath(const QString &iniPath)
{
    std::unique_ptr<QtSettingsStore> store(new QtSettingsStore());
    store->m_settings = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
    return store;
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QVariant value = m_settings->value(fullKey(section, key));
    if (!value.isValid())
        return defaultValue;
    return value.toString();
}

void QtSettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    m_settings->setValue(fullKey(section, key), value);
}

bool QtSettingsStore::contains(const QString &section, const QString &key) const
{
    return m_settings->contains(fullKey(section, key));
}

QString QtSettingsStore::fileName() const
{
    return m_settings->fileName();
}
