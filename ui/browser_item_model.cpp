#include "ui/browser_item_model.h"

#include "ui/item_icons.h"

namespace vlt::ui {

BrowserItemModel::BrowserItemModel(BrowserModel& model, QObject* parent) : QAbstractTableModel(parent), model_(model) {
    model_.SetListener(this);
}

BrowserItemModel::~BrowserItemModel() { model_.SetListener(nullptr); }

int BrowserItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(model_.Count());
}

int BrowserItemModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant BrowserItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= model_.Count()) {
        return {};
    }
    const BrowserItem& item = model_.Item(static_cast<std::size_t>(index.row()));
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(column == colName ? item.caption
                                                        : item.SubItem(static_cast<BrowserColumn>(column)));
    case Qt::DecorationRole:
        if (column == colName && item.kind < kGoodPixCount) {
            return GoodPix()[item.kind];
        }
        return {};
    case Qt::TextAlignmentRole:
        return column == colSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                 : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant BrowserItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(model_.ColumnCaption(section));
    }
    if (role == Qt::TextAlignmentRole) {
        return section == colSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags BrowserItemModel::flags(const QModelIndex& index) const {
    // Captions are read-only: renaming is a command of its own.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void BrowserItemModel::ItemsAboutToReset() { beginResetModel(); }

void BrowserItemModel::ItemsReset() { endResetModel(); }

void BrowserItemModel::ItemsChanged(std::size_t first, std::size_t last) {
    emit dataChanged(index(static_cast<int>(first), 0), index(static_cast<int>(last), kColumnCount - 1),
                     {Qt::DisplayRole, Qt::DecorationRole});
}

void BrowserItemModel::ColumnCaptionsChanged() { emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1); }

} // namespace vlt::ui
