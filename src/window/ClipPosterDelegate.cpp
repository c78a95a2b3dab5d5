#include "window/ClipPosterDelegate.h"

#include "document/ClipRecord.h"
#include "window/ClipPosterLoader.h"
#include "window/ClipTableModel.h"

#include <QApplication>
#include <QPainter>
#include <QPen>

ClipPosterDelegate::ClipPosterDelegate(QObject* parent)
    : QStyledItemDelegate(parent) {}

const QImage& ClipPosterDelegate::missingItemImage() {
    static const QImage image(QStringLiteral(":/MissingItem.png"));
    return image;
}

QImage ClipPosterDelegate::imageForPoster(const PosterImage& poster) {
    switch (poster.kind) {
    case PosterImage::Kind::Frame:
        if (poster.frame.isNull())
            return {};
        return QImage(reinterpret_cast<const uchar*>(poster.frame.pixels.constData()), poster.frame.width,
                      poster.frame.height, poster.frame.bytesPerLine(), QImage::Format_RGBX8888);
    case PosterImage::Kind::MissingItem:
        return missingItemImage();
    case PosterImage::Kind::None:
    case PosterImage::Kind::Pending:
        break;
    }
    return {};
}

void ClipPosterDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const QRect cell = option.rect.adjusted(4, 3, -4, -3);
    const auto clip = index.data(ClipTableModel::ClipRole).value<ClipRecordPtr>();
    const QImage image = clip ? imageForPoster(clip->posterImage) : QImage();
    if (clip && clip->posterImage.kind == PosterImage::Kind::Pending && m_posterLoader)
        m_posterLoader->prefer(*clip);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (image.isNull() && clip && clip->isMissing()) {
        // Nothing to show: an empty outline, as faint as the rest of the row.
        painter->setPen(QPen(option.palette.color(QPalette::Disabled, QPalette::Text), 1, Qt::DashLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    } else if (image.isNull()) {
        painter->setPen(QColor(90, 90, 90));
        painter->setBrush(QColor(30, 30, 30));
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    } else {
        QSize size = image.size();
        size.scale(cell.size(), Qt::KeepAspectRatio);
        const QRect target(QPoint(cell.x() + (cell.width() - size.width()) / 2,
                                  cell.y() + (cell.height() - size.height()) / 2),
                           size);
        if (clip->posterImage.kind == PosterImage::Kind::Frame)
            painter->fillRect(cell, Qt::black);
        painter->drawImage(target, image);
    }
    painter->restore();
}

QSize ClipPosterDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {PosterWidth + 8, PosterHeight + 6};
}
