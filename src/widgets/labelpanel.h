// A small framed panel showing a caption and a value text ("Base" / "13"), and a group frame that
// lays out such panels or other widgets, each under its own label.
#pragma once

#include <QColor>
#include <QFrame>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

class QGridLayout;
class QLabel;

namespace vanto {

class LabelPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit LabelPanel(QWidget* parent = nullptr);
    LabelPanel(const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }
    void setText(const QString& text);
    QString text() const { return m_text; }
    // Aligns the value text (default centred).
    void setTextAlignment(Qt::Alignment alignment);
    // Puts the value on a coloured face with its own text colour; invalid colours restore the
    // plain look.
    void setValueColors(const QColor& background, const QColor& text);
    QColor valueBackground() const { return m_valueBackground; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    QColor m_valueBackground;
    QColor m_valueText;
};

// A titled frame holding widgets in a grid; every widget added with a label shows it above itself.
class PanelGroup : public QFrame {
    Q_OBJECT
public:
    explicit PanelGroup(const QString& title = {}, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return m_title; }

    // Puts the widget at (row, column); an empty label shows none.
    void addWidget(QWidget* child, int row, int column, const QString& label = {}, int rowSpan = 1,
                   int columnSpan = 1);
    void setChildLabel(QWidget* child, const QString& label);
    QString childLabel(QWidget* child) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QGridLayout* m_grid;
    QHash<QWidget*, QPointer<QLabel>> m_labels;
};

} // namespace vanto
