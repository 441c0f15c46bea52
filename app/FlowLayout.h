#pragma once

#include <QLayout>
#include <QList>
#include <QStyle>

// Places its items left to right and starts a new row when the next item
// would pass the right edge, like words in a paragraph. Its height follows its
// width, so inside a resizable scroll area it grows downwards.
class FlowLayout : public QLayout
{
    Q_OBJECT
    Q_DISABLE_COPY(FlowLayout)

public:
    // A negative gap leaves the gap to the style.
    FlowLayout(QWidget* parent, int margin = -1, int gapX = -1, int gapY = -1);
    explicit FlowLayout(int margin = -1, int gapX = -1, int gapY = -1);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    Qt::Orientations expandingDirections() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

    int horizontalGap() const;
    int verticalGap() const;

    // Moves the item whose widget carries the "url" property fromUrl to the
    // place of the one carrying toUrl, or to the end when none carries toUrl.
    void moveItem(const QString& fromUrl, const QString& toUrl);

private:
    // Lays the items out in rect (or only measures); returns the height used.
    int placeItems(const QRect& rect, bool measureOnly) const;
    int styleSpacing(QStyle::PixelMetric metric) const;

    QList<QLayoutItem*> items;
    int gapX = -1;
    int gapY = -1;
};
