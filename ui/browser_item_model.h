#pragma once
// The core's browser items as a Qt model: six columns, the GoodPix icon by kind, the
// column captions with their sort markers. It keeps no copy of the items; the core
// model's notifications become resets and dataChanged on the rows concerned.
#include <QAbstractTableModel>

#include "batch/browser_model.h"

namespace vlt::ui {

class BrowserItemModel final : public QAbstractTableModel, private BrowserModelListener {
    Q_OBJECT
public:
    explicit BrowserItemModel(BrowserModel& model, QObject* parent = nullptr);
    ~BrowserItemModel() override;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    [[nodiscard]] BrowserModel& Model() { return model_; }

private:
    void ItemsAboutToReset() override;
    void ItemsReset() override;
    void ItemsChanged(std::size_t first, std::size_t last) override;
    void ColumnCaptionsChanged() override;

    BrowserModel& model_;
};

} // namespace vlt::ui
