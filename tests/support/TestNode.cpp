#include "TestNode.h"

TestNode::TestNode(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{
}

void TestNode::setName(const QString &name)
{
    m_name = name;
    Q_EMIT nameChanged();
}

void TestNode::setCount(int count)
{
    m_count = count;
    Q_EMIT countChanged(count);
}

void TestNode::setChild(TestNode *child)
{
    m_child = child;
    Q_EMIT childChanged();
}

void TestNode::setReading(const TestReading &reading)
{
    m_reading = reading;
    Q_EMIT readingChanged();
}

void TestNode::setJson(const QVariantMap &json)
{
    m_json = json;
    Q_EMIT jsonChanged();
}

void TestNode::setItems(const QVariantList &items)
{
    m_items = items;
    Q_EMIT itemsChanged();
}
