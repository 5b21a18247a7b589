#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>

// Binary data as a hex dump: 16 bytes a line, the offset, the bytes in hex and as characters.
//
// Lines are made only for the rows in sight as they are painted, so any size costs the same and
// the data is shared, not copied. GUI thread.
class VDLHexView final : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr qsizetype BytesPerLine = 16;

    explicit VDLHexView(QWidget *parent = nullptr);

    void setData(const QByteArray &data);
    const QByteArray &data() const { return m_data; }
    qsizetype lineCount() const;
    // The first line in sight.
    qsizetype firstVisibleLine() const;

    // One line of the dump: "00000010  48 65 6c 6c 6f 0a ...  |Hello.|".
    static QString lineText(const QByteArray &data, qsizetype line);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateScrollBars();
    int lineHeight() const;

    QByteArray m_data;
};
