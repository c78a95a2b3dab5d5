#pragma once

#include <QImage>
#include <QPointer>
#include <QStyledItemDelegate>

class ClipPosterLoader;
struct PosterImage;

// Paints the poster column of the clip table: the clip's poster frame fitted into the cell, the
// missing-item picture for clips without a frame one second in, an empty frame for clips read from a
// file (they carry no poster) or whose poster is still being decoded, and a faint outline for a clip
// whose file is missing. A pending poster the table paints is asked of the poster loader first.
class ClipPosterDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int PosterWidth = 96;
    static constexpr int PosterHeight = 54;

    explicit ClipPosterDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The picture shown for a poster; a null image for a clip without one. A frame is wrapped, not
    // copied: the image is valid while the record lives.
    static QImage imageForPoster(const PosterImage& poster);

    ClipPosterLoader* posterLoader() const { return m_posterLoader; }
    void setPosterLoader(ClipPosterLoader* loader) { m_posterLoader = loader; }

private:
    static const QImage& missingItemImage();

    QPointer<ClipPosterLoader> m_posterLoader;
};
