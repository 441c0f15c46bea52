#include "FlowLayout.h"

#include <QApplication>
#include <QWidget>

namespace {

QString urlOf(QLayoutItem* item)
{
    return item->widget() ? item->widget()->property("url").toString() : QString();
}

// Spacing between two push buttons, as the item's style sees it.
int itemSpacing(QLayoutItem* item, Qt::Orientation orientation)
{
    const QStyle* style = item->widget() ? item->widget()->style() : QApplication::style();
    return style->layoutSpacing(QSizePolicy::PushButton, QSizePolicy::PushButton, orientation);
}

} // namespace

FlowLayout::FlowLayout(QWidget* parent, int margin, int gapX, int gapY)
    : QLayout(parent)
    , gapX(gapX)
    , gapY(gapY)
{
    setContentsMargins(margin, margin, margin, margin);
}

FlowLayout::FlowLayout(int margin, int gapX, int gapY)
    : gapX(gapX)
    , gapY(gapY)
{
    setContentsMargins(margin, margin, margin, margin);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    items.append(item);
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    placeItems(rect, false);
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < items.size() ? items.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < items.size() ? items.takeAt(index) : nullptr;
}

int FlowLayout::count() const
{
    return items.size();
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return placeItems(QRect(0, 0, width, 0), true);
}

QSize FlowLayout::sizeHint() const
{
    return minimumSize();
}

int FlowLayout::horizontalGap() const
{
    return gapX >= 0 ? gapX : styleSpacing(QStyle::PM_LayoutHorizontalSpacing);
}

int FlowLayout::verticalGap() const
{
    return gapY >= 0 ? gapY : styleSpacing(QStyle::PM_LayoutVerticalSpacing);
}

void FlowLayout::moveItem(const QString& fromUrl, const QString& toUrl)
{
    int from = -1;
    int to = -1;
    for (int i = 0; i < items.size(); ++i) {
        const QString url = urlOf(items.at(i));
        if (url == fromUrl)
            from = i;
        if (url == toUrl)
            to = i;
    }
    if (from == -1 || to == from)
        return;

    // The target's index is the one before the removal, so an item moved
    // forwards lands after its target and one moved backwards before it.
    QLayoutItem* moved = items.takeAt(from);
    if (to == -1)
        items.append(moved);
    else
        items.insert(to, moved);
    placeItems(geometry(), false);
}

int FlowLayout::placeItems(const QRect& rect, bool measureOnly) const
{
    const QMargins margins = contentsMargins();
    const int x0 = rect.x() + margins.left();
    const int right = rect.right() - margins.right();
    int x = x0;
    int y = rect.y() + margins.top();
    int rowHeight = 0;

    for (QLayoutItem* item : items) {
        int spaceX = horizontalGap();
        if (spaceX == -1)
            spaceX = itemSpacing(item, Qt::Horizontal);
        int spaceY = verticalGap();
        if (spaceY == -1)
            spaceY = itemSpacing(item, Qt::Vertical);

        const QSize hint = item->sizeHint();
        // An item ending exactly on the last column wraps too; the first of a
        // row never does, however wide it is.
        if (x + hint.width() > right && rowHeight > 0) {
            x = x0;
            y += rowHeight + spaceY;
            rowHeight = 0;
        }
        if (!measureOnly)
            item->setGeometry(QRect(QPoint(x, y), hint));
        x += hint.width() + spaceX;
        rowHeight = qMax(rowHeight, hint.height());
    }
    return y + rowHeight - rect.y() + margins.bottom();
}

int FlowLayout::styleSpacing(QStyle::PixelMetric metric) const
{
    QObject* owner = parent();
    if (!owner)
        return -1;
    if (owner->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(owner);
        return widget->style()->pixelMetric(metric, nullptr, widget);
    }
    return static_cast<QLayout*>(owner)->spacing();
}
