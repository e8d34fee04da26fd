#pragma once

#include <QString>

#include <memory>

class QSettings;

// Per-user string values addressed by section and key; a read names the
// value to return when the key is absent.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString &section, const QString &key, const QString &defaultValue) const = 0;
    virtual void write(const QString &section, const QString &key, const QString &value) = 0;
    virtual bool contains(const QString &section, const QString &key) const = 0;
};

// The real store: an INI file per user, named after the product.
class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(const QString &applicationName);
    // For tests and tools: an INI file at an explicit path.
    static std::unique_ptr<QtSettingsStore> atPath(const QString &iniPath);
    ~QtSettingsStore() override;

    QString read(const QString &section, const QString &key, const QString &defaultValue) const override;
    void write(const QString &section, const QString &key, const QString &value) override;
    bool contains(const QString &section, const QString &key) const override;
    QString fileName() const;

private:
    QtSettingsStore() = default;
    std::unique_ptr<QSettings> m_settings;
};
