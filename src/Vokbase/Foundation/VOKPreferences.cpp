#include "VOKPreferences.h"

#include "VOKClock.h"
#include "VOKJSONReader.h"
#include "VOKLog.h"
#include "VOKPreferencesValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStandardPaths>

namespace {

// The file's object; none, with the reason, when it holds anything else.
QVariant readObject(const QByteArray &text, QString *failure)
{
    VOKJSONReader::Failure complaint;
    const QVariant value = VOKJSONReader::read(text, false, &complaint);
    if (value.metaType() == QMetaType::fromType<QVariantMap>())
        return value;
    *failure = value.isValid() ? QStringLiteral("it does not hold a JSON object") : complaint.description();
    return QVariant();
}

bool readJson(QIODevice &device, QSettings::SettingsMap &map)
{
    QString failure;
    const QVariant object = readObject(device.readAll(), &failure);
    map = object.toMap();
    return object.isValid();
}

bool writeJson(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject object;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        object.insert(it.key(), QJsonValue::fromVariant(it.value()));
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return device.write(text) == text.size();
}

QSettings::Format jsonFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("json"), readJson, writeJson);
    return format;
}

// The value as it reads back from the file, so a read before and after a restart agree.
QVariant asStored(const QVariant &value)
{
    if (!value.isValid())
        return QVariant();
    const QJsonValue json = QJsonValue::fromVariant(value);
    return json.isNull() || json.isUndefined() ? QVariant() : json.toVariant();
}

} // namespace

VOKPreferences::VOKPreferences(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(filePath)
    , m_values(std::make_unique<VOKPreferencesValues>(*this))
{
    load();
}

VOKPreferences::~VOKPreferences() = default;

VOKPreferences &VOKPreferences::standard()
{
    static VOKPreferences preferences(standardFilePath());
    return preferences;
}

QString VOKPreferences::standardFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Vindle/Vindle.json");
}

void VOKPreferences::load()
{
    QFile file(m_filePath);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            if (!moveAside(QStringLiteral("it cannot be opened: %1").arg(file.errorString())))
                return;
        } else {
            QString failure;
            const QVariant object = readObject(file.readAll(), &failure);
            file.close();
            if (!object.isValid()) {
                if (!moveAside(failure))
                    return;
            } else {
                m_stored = object.toMap();
            }
        }
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    m_settings = std::make_unique<QSettings>(m_filePath, jsonFormat());
}

bool VOKPreferences::moveAside(const QString &reason)
{
    const QString stamp = VOKClock::current().currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = QStringLiteral("%1.corrupt-%2").arg(m_filePath, stamp);
    for (int counter = 2; QFile::exists(aside); ++counter)
        aside = QStringLiteral("%1.corrupt-%2-%3").arg(m_filePath, stamp).arg(counter);
    if (!QFile::rename(m_filePath, aside)) {
        VOK_ERROR(QStringLiteral("Preferences file '%1' could not be read (%2) nor moved aside; "
                                 "preferences are kept for this session only")
                      .arg(m_filePath, reason));
        return false;
    }
    VOK_ERROR(QStringLiteral("Preferences file '%1' could not be read (%2); kept it as '%3' and "
                             "started with empty preferences")
                  .arg(m_filePath, reason, aside));
    return true;
}

QVariant VOKPreferences::objectForKey(const QString &key) const
{
    const auto stored = m_stored.constFind(key);
    return stored != m_stored.constEnd() ? *stored : m_defaults.value(key);
}

QString VOKPreferences::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QVariantList VOKPreferences::arrayForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QStringList VOKPreferences::stringArrayForKey(const QString &key) const
{
    QStringList strings;
    for (const QVariant &element : arrayForKey(key)) {
        if (element.typeId() != QMetaType::QString)
            return QStringList();
        strings.append(element.toString());
    }
    return strings;
}

QVariantMap VOKPreferences::dictionaryForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

qint64 VOKPreferences::integerForKey(const QString &key) const
{
    return static_cast<qint64>(doubleForKey(key));
}

double VOKPreferences::doubleForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? number : 0;
}

bool VOKPreferences::boolForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        return text == QLatin1String("yes") || text == QLatin1String("true") || doubleForKey(key) != 0;
    }
    return doubleForKey(key) != 0;
}

void VOKPreferences::setObject(const QVariant &value, const QString &key)
{
    const QVariant stored = asStored(value);
    if (!stored.isValid()) {
        removeObjectForKey(key);
        return;
    }
    const auto existing = m_stored.constFind(key);
    if (existing != m_stored.constEnd() && *existing == stored)
        return;
    const QVariant before = objectForKey(key);
    m_stored.insert(key, stored);
    persist(key, stored);
    announce(key, before);
}

void VOKPreferences::removeObjectForKey(const QString &key)
{
    if (!m_stored.contains(key))
        return;
    const QVariant before = objectForKey(key);
    m_stored.remove(key);
    persist(key, QVariant());
    announce(key, before);
}

void VOKPreferences::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it) {
        const QVariant before = objectForKey(it.key());
        m_defaults.insert(it.key(), asStored(it.value()));
        announce(it.key(), before);
    }
}

void VOKPreferences::persist(const QString &key, const QVariant &value)
{
    if (!m_settings)
        return;
    if (value.isValid())
        m_settings->setValue(key, value);
    else
        m_settings->remove(key);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        VOK_ERROR(QStringLiteral("Could not write the preferences file '%1'").arg(m_filePath));
}

void VOKPreferences::announce(const QString &key, const QVariant &before)
{
    if (objectForKey(key) != before)
        Q_EMIT valueChanged(key);
}
