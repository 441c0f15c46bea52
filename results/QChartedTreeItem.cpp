#include "QChartedTreeItem.h"

#include "QSearcher.h"

#include <QBrush>
#include <QPainter>

#include <algorithm>

namespace {

// The cell's own background; a brush counts by its colour.
QColor BackgroundOf(const QModelIndex& index, const QStyleOptionViewItem& option)
{
    const QVariant background = index.data(Qt::BackgroundRole);
    QColor color = background.userType() == QMetaType::QBrush ? background.value<QBrush>().color()
                                                               : background.value<QColor>();
    // A cell without one would be filled black.
    if (!color.isValid())
        color = option.palette.color(QPalette::Current, QPalette::Base);
    return color;
}

} // namespace

QChartedTreeItem::QChartedTreeItem(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void QChartedTreeItem::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);

    const double value = index.data(QSearcher::SortRole).toDouble();
    const bool selection = index.data(QSearcher::KindRole).toBool();
    const double total = index.model() ? index.model()->property("allMatched").toDouble() : 0;
    // A market without a positive total has no share to draw; its number
    // is still shown.
    const bool barShown = selection || total > 0;
    const double fraction = selection || total == 0 ? value : value / total;
    const bool selected = opt.state & QStyle::State_Selected;
    const QColor background = BackgroundOf(index, opt);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const QRect rect = opt.rect;
    // Nothing drawn here reaches a neighbouring cell.
    painter->setClipRect(rect, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter->fillRect(rect, selected ? opt.palette.brush(QPalette::Current, QPalette::Highlight) : QBrush(background));

    // Also false for NaN.
    if (fraction > 0) {
        const double share = std::min(fraction, 1.0);
        const double width = rect.width();
        QRect barRect = rect;
        QRect textRect = rect;
        int factor;
        Qt::Alignment alignment;
        if (!selection) {
            barRect.setLeft(static_cast<int>(rect.left() + (1 - share) * width));
            factor = background.lightness() > 147 ? 120 : 80;
            textRect.setRight(textRect.right() - 4);
            alignment = Qt::AlignRight;
        } else {
            barRect.setRight(static_cast<int>(rect.right() - (1 - share) * width));
            factor = background.lightness() > 167 ? 140 : 60;
            textRect.setLeft(textRect.left() + 4);
            alignment = Qt::AlignLeft;
        }
        const QColor base = selected ? opt.palette.color(QPalette::Current, QPalette::Highlight) : background;
        barRect.setBottom(barRect.bottom() - 1);
        if (barShown && fraction > 0.01) {
            painter->setBrush(QBrush(base.darker(factor)));
            painter->drawRect(barRect);
        }

        QColor textColor = selected ? opt.palette.color(QPalette::Current, QPalette::HighlightedText)
                                    : QColor(background.lightness() < 138 ? Qt::white : Qt::black);
        if (opt.font.weight() > 57) {
            QFont bold = painter->font();
            bold.setWeight(QFont::Bold);
            painter->setFont(bold);
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        painter->setPen(textColor);
        painter->drawText(textRect, alignment, text);
        if (selection) {
            const QRect used = painter->boundingRect(textRect, alignment, text);
            textRect.setLeft(used.right());
            textColor.setAlpha(60);
            painter->setPen(textColor);
            painter->drawText(textRect, alignment, QStringLiteral(" %"));
        }
    }
    painter->restore();
}
