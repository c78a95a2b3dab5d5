#pragma once

#include "document/SelectedDisplay.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>

class QScreen;

// The display chooser's list: "Main Display", a separator, then "Display 0", "Display 1", … in the
// platform's order of the screens, each with its size as tool tip and its number as tag (the popup's
// item data, Qt::UserRole). The popup of the playlist window shows this model; the chosen row stays the
// popup's. What to list is decided by the pure functions below, from the displays' frames alone.
// Main thread only.
class DisplayChooserModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Item {
        QString title; // empty for the separator
        int tag = 0;
        QString toolTip;
        // The display the item stands for, as an index into the displays the list was made from;
        // -1 for the separator, and for the main display when there is none.
        int display = -1;
        bool isSeparator = false;
        bool operator==(const Item&) const = default;
    };

    // "width: W, height: H": the frame's size in single precision, truncated toward zero.
    static QString sizeToolTip(const QRectF& frame);
    // The list for the displays' frames in the platform's order; main is the index of the main display
    // among them, -1 when there is none (its item then has the empty frame's size).
    static QList<Item> makeItems(const QList<QRectF>& displays, int main);
    // The display the row stands for (an index into the displays); -1 for the separator, for a row out
    // of range, and for the main display when there is none.
    static int displayAt(const QList<Item>& items, int row);
    // The row of the display's own item (never "Main Display"); 0, the main display, for -1 or a display
    // that has no item.
    static int rowOfDisplay(const QList<Item>& items, int display);

    using QAbstractListModel::QAbstractListModel;

    // Replaces the whole list with the displays there are now, in one reset of the model.
    void reload();
    // The screen the row stands for; null for the separator, a row out of range, or a screen that went
    // away after the list was made.
    QScreen* representedScreen(int row) const;
    // The row's tag: the number the identification window shows.
    int tag(int row) const { return m_items.value(row).tag; }
    // The row that stands for the remembered display among those listed (by name, else by frame); 0, the
    // main display, for none or one that is not there.
    int rowOf(const std::optional<SelectedDisplay>& display) const;
    // What the file remembers of the row chosen: the display's name and frame; nothing for "Main
    // Display", the separator, or a display that went away.
    std::optional<SelectedDisplay> selectedDisplayAt(int row) const;
    const QList<Item>& items() const { return m_items; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<Item> m_items;
    // The screens the items' display indexes refer to, as they were when the list was made.
    QList<QPointer<QScreen>> m_screens;
    // Their names and frames as they were then.
    QList<QString> m_names;
    QList<QRectF> m_frames;
};
