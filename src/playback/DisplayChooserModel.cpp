#include "playback/DisplayChooserModel.h"

#include <QGuiApplication>
#include <QScreen>

QString DisplayChooserModel::sizeToolTip(const QRectF& frame) {
    return QStringLiteral("width: %1, height: %2")
        .arg(static_cast<int>(float(frame.width())))
        .arg(static_cast<int>(float(frame.height())));
}

QList<DisplayChooserModel::Item> DisplayChooserModel::makeItems(const QList<QRectF>& displays, int main) {
    const bool hasMain = main >= 0 && main < displays.size();
    QList<Item> items;
    items.append({QStringLiteral("Main Display"), 0, sizeToolTip(hasMain ? displays[main] : QRectF()),
                  hasMain ? main : -1, false});
    items.append({QString(), 0, QString(), -1, true});
    for (int i = 0; i < displays.size(); ++i)
        items.append({QStringLiteral("Display %1").arg(i), i, sizeToolTip(displays[i]), i, false});
    return items;
}

int DisplayChooserModel::displayAt(const QList<Item>& items, int row) {
    return row >= 0 && row < items.size() ? items[row].display : -1;
}

int DisplayChooserModel::rowOfDisplay(const QList<Item>& items, int display) {
    for (int row = 1; display >= 0 && row < items.size(); ++row) {
        if (!items[row].isSeparator && items[row].display == display)
            return row;
    }
    return 0;
}

void DisplayChooserModel::reload() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRectF> frames;
    QList<QString> names;
    for (const QScreen* screen : screens) {
        frames.append(QRectF(screen->geometry()));
        names.append(screen->name());
    }
    beginResetModel();
    m_screens = QList<QPointer<QScreen>>(screens.cbegin(), screens.cend());
    m_names = names;
    m_frames = frames;
    m_items = makeItems(frames, int(screens.indexOf(QGuiApplication::primaryScreen())));
    endResetModel();
}

QScreen* DisplayChooserModel::representedScreen(int row) const {
    QScreen* screen = m_screens.value(displayAt(m_items, row));
    return QGuiApplication::screens().contains(screen) ? screen : nullptr;
}

int DisplayChooserModel::rowOf(const std::optional<SelectedDisplay>& display) const {
    return display ? rowOfDisplay(m_items, display->indexAmong(m_names, m_frames)) : 0;
}

std::optional<SelectedDisplay> DisplayChooserModel::selectedDisplayAt(int row) const {
    const int display = row > 0 ? displayAt(m_items, row) : -1;
    if (display < 0 || !representedScreen(row))
        return std::nullopt;
    return SelectedDisplay{m_names[display], m_frames[display]};
}

int DisplayChooserModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant DisplayChooserModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const Item& item = m_items[index.row()];
    if (item.isSeparator) {
        // What QComboBox draws as a separator line.
        return role == Qt::AccessibleDescriptionRole ? QVariant(QStringLiteral("separator")) : QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return item.title;
    case Qt::ToolTipRole:
        return item.toolTip;
    case Qt::UserRole:
        return item.tag;
    default:
        return {};
    }
}

Qt::ItemFlags DisplayChooserModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= m_items.size() || m_items[index.row()].isSeparator)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
