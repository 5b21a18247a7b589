#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// A small value type read through key paths as a gadget.
class TestReading
{
    Q_GADGET
    Q_PROPERTY(double value MEMBER value)
    Q_PROPERTY(QString unit MEMBER unit)

public:
    double value = 0;
    QString unit;
};

// An observable object with the kinds of properties the model has: text, numbers, another
// object, a gadget, a dictionary and a list, each with a change signal.
class TestNode : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(int count READ count WRITE setCount NOTIFY countChanged)
    Q_PROPERTY(TestNode *child READ child WRITE setChild NOTIFY childChanged)
    Q_PROPERTY(TestReading reading READ reading WRITE setReading NOTIFY readingChanged)
    Q_PROPERTY(QVariantMap json READ json WRITE setJson NOTIFY jsonChanged)
    Q_PROPERTY(QVariantList items READ items WRITE setItems NOTIFY itemsChanged)
    Q_PROPERTY(QString silent MEMBER m_silent) // changes without telling anyone

public:
    explicit TestNode(const QString &name = QString(), QObject *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    int count() const { return m_count; }
    void setCount(int count);
    TestNode *child() const { return m_child; }
    void setChild(TestNode *child);
    TestReading reading() const { return m_reading; }
    void setReading(const TestReading &reading);
    QVariantMap json() const { return m_json; }
    void setJson(const QVariantMap &json);
    QVariantList items() const { return m_items; }
    void setItems(const QVariantList &items);

Q_SIGNALS:
    void nameChanged();
    void countChanged(int count);
    void childChanged();
    void readingChanged();
    void jsonChanged();
    void itemsChanged();

private:
    QString m_name;
    int m_count = 0;
    QPointer<TestNode> m_child;
    TestReading m_reading;
    QVariantMap m_json;
    QVariantList m_items;
    QString m_silent;
};
