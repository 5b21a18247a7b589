#include "VOKKVOBlock.h"

#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKObservableValues.h"

#include <QMetaMethod>
#include <QMetaProperty>

VOKKVOBlock::VOKKVOBlock(QObject *observed, QObject *observer, const QString &keyPath,
                         VOKKVOOptions options, Callback callback, QObject *deliveryContext)
    : m_observed(observed)
    , m_observer(observer)
    , m_keyPath(keyPath)
    , m_keys(keyPath.split(QLatin1Char('.')))
    , m_options(options)
    , m_callback(std::move(callback))
    , m_deliveryContext(deliveryContext)
{
    if (!observed || !observer || keyPath.isEmpty()) {
        VOK_ASSERTION(QStringLiteral("VOKKVOBlock needs an observed object, an observer and a key path (key path: '%1')")
                          .arg(keyPath));
        m_observed.clear();
        return;
    }
    if (observed == observer)
        warnAboutSelfObservation();

    for (QObject *party : {observed, observer}) {
        m_lifetimeConnections.append(
            connect(party, &QObject::destroyed, this, &VOKKVOBlock::invalidate, Qt::DirectConnection));
    }
    m_levels.resize(m_keys.size());
    m_levels[0].object = observed;
    hookFrom(0);
    if (m_options.testFlag(VOKKVOOption::Old))
        m_lastValue = currentValue();
    if (m_options.testFlag(VOKKVOOption::Initial))
        deliver(VOKKVOChange{currentValue(), QVariant(), true});
}

VOKKVOBlock::~VOKKVOBlock()
{
    invalidate();
}

void VOKKVOBlock::invalidate()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_lifetimeConnections))
        disconnect(connection);
    m_lifetimeConnections.clear();
    unhookFrom(0);
    m_observed.clear();
}

void VOKKVOBlock::warnAboutSelfObservation() const
{
    const bool objectValue = (currentValue().metaType().flags() & QMetaType::PointerToQObject);
    if (m_keys.size() > 1 || objectValue) {
        VOK_ASSERTION(QStringLiteral("VOKKVOBlock error: an object may only observe scalars of itself! Object: %1 key path: %2")
                          .arg(VOKKeyPath::describe(QVariant::fromValue(m_observed.data())), m_keyPath));
    }
}

void VOKKVOBlock::hookFrom(int level)
{
    for (int index = level; index < m_levels.size(); ++index) {
        if (index > 0 && !attachObjectAt(index))
            return;
        hookLevel(index);
    }
}

bool VOKKVOBlock::attachObjectAt(int index)
{
    QObject *owner = m_levels[index - 1].object;
    if (!owner)
        return false;
    const QVariant value = VOKKeyPath::valueForKey(QVariant::fromValue(owner), m_keys[index - 1]);
    if (!(value.metaType().flags() & QMetaType::PointerToQObject))
        return false;
    QObject *object = value.value<QObject *>();
    if (!object)
        return false;
    m_levels[index].object = object;
    // An intermediate object that dies without its owner saying so leaves nothing to read.
    m_levels[index].connections.append(connect(object, &QObject::destroyed, this, [this, index] {
        unhookFrom(index);
        deliver(VOKKVOChange{QVariant(), m_lastValue, false});
        m_lastValue.clear();
    }));
    return true;
}

void VOKKVOBlock::hookLevel(int index)
{
    Level &level = m_levels[index];
    const QString &key = m_keys[index];
    if (auto *values = qobject_cast<VOKObservableValues *>(level.object.data())) {
        level.connections.append(connect(values, &VOKObservableValues::valueChanged, this,
                                          [this, index, key](const QString &changedKey) {
                                              if (changedKey == key)
                                                  levelChanged(index);
                                          },
                                          Qt::DirectConnection));
        return;
    }
    const QMetaObject *metaObject = level.object->metaObject();
    const int propertyIndex = metaObject->indexOfProperty(key.toUtf8().constData());
    const QMetaProperty property = propertyIndex >= 0 ? metaObject->property(propertyIndex) : QMetaProperty();
    if (property.isConstant())
        return; // never changes: nothing to watch at this level
    if (!property.hasNotifySignal()) {
        VOK_WARNING(QStringLiteral("VOKKVOBlock: '%1' of %2 has no change signal; its changes are not observed (key path '%3')")
                        .arg(key, VOKKeyPath::describe(QVariant::fromValue(level.object.data())), m_keyPath));
        return;
    }
    static const QMetaMethod slot = staticMetaObject.method(staticMetaObject.indexOfSlot("propertyNotified()"));
    level.signalIndex = property.notifySignalIndex();
    level.connections.append(connect(level.object, property.notifySignal(), this, slot, Qt::DirectConnection));
}

void VOKKVOBlock::unhookFrom(int level)
{
    for (int index = level; index < m_levels.size(); ++index) {
        Level &entry = m_levels[index];
        for (const QMetaObject::Connection &connection : std::as_const(entry.connections))
            disconnect(connection);
        entry.connections.clear();
        entry.signalIndex = -1;
        if (index > 0)
            entry.object.clear();
    }
}

void VOKKVOBlock::propertyNotified()
{
    const QObject *source = sender();
    const int signal = senderSignalIndex();
    for (int index = 0; index < m_levels.size(); ++index) {
        if (m_levels[index].object == source && m_levels[index].signalIndex == signal) {
            levelChanged(index);
            return;
        }
    }
}

void VOKKVOBlock::levelChanged(int level)
{
    if (!isValid())
        return;
    unhookFrom(level + 1);
    hookFrom(level + 1);
    VOKKVOChange change{currentValue(), QVariant(), false};
    if (m_options.testFlag(VOKKVOOption::Old)) {
        change.oldValue = m_lastValue;
        m_lastValue = change.newValue;
    }
    deliver(change);
}

QVariant VOKKVOBlock::currentValue() const
{
    return vokSafeValueForKeyPath(m_observed.data(), m_keyPath, false);
}

void VOKKVOBlock::deliver(const VOKKVOChange &change)
{
    if (!m_callback || !isValid())
        return;
    if (!m_deliveryContext) {
        // The callback may destroy this token: nothing may touch members after it.
        const Callback callback = m_callback;
        callback(m_observer, change, this);
        return;
    }
    QMetaObject::invokeMethod(
        m_deliveryContext,
        [token = QPointer<VOKKVOBlock>(this), change] {
            if (token && token->isValid() && token->m_observer)
                token->m_callback(token->m_observer, change, token);
        },
        Qt::QueuedConnection);
}

VOKKVOBlockPtr vokAddObserver(QObject *observed, QObject *observer, const QString &keyPath,
                              VOKKVOBlock::Callback callback)
{
    return vokAddObserver(observed, observer, keyPath, {}, std::move(callback));
}

VOKKVOBlockPtr vokAddObserver(QObject *observed, QObject *observer, const QString &keyPath,
                              VOKKVOOptions options, VOKKVOBlock::Callback callback)
{
    return vokAddObserver(observed, observer, keyPath, options, nullptr, std::move(callback));
}

VOKKVOBlockPtr vokAddObserver(QObject *observed, QObject *observer, const QString &keyPath,
                              VOKKVOOptions options, QObject *deliveryContext,
                              VOKKVOBlock::Callback callback)
{
    return std::make_unique<VOKKVOBlock>(observed, observer, keyPath, options, std::move(callback),
                                         deliveryContext);
}
