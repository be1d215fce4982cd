#pragma once
// FileView: the browser list in its two styles, report (six columns) and list (names
// only, in columns filling the area), both over the one item model and one selection.
// The selection is mirrored into the core items' selected flags.
#include <QStackedWidget>
#include <array>
#include <cstdint>

#include "ui/browser_item_model.h"

class QAbstractItemView;
class QItemSelection;
class QItemSelectionModel;
class QListView;
class QMenu;
class QTreeView;

namespace vlt::ui {

class FileListView final : public QStackedWidget {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // The model to show; set once, before the first listing.
    void SetItemModel(BrowserItemModel* model);
    void SetContextMenu(QMenu* menu);

    [[nodiscard]] bool IsReportStyle() const;
    void SetReportStyle(bool report);
    [[nodiscard]] std::array<std::uint16_t, 6> ColumnWidths() const;
    void SetColumnWidths(const std::array<std::uint16_t, 6>& widths);
    // The list's font and text colour (both styles).
    void SetListFont(const QFont& font, const QColor& colour);

    // The first selected row (the entry the window opens), -1 when none is selected.
    [[nodiscard]] int FirstSelectedRow() const;
    void SelectRow(int row);

    [[nodiscard]] QTreeView* ReportView() const { return report_; }
    [[nodiscard]] QListView* ListView() const { return list_; }
    [[nodiscard]] QAbstractItemView* CurrentView() const;

signals:
    // Double-click or Enter on the list.
    void OpenRequested();
    void ColumnClicked(int column);
    void SelectionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MirrorSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void ShowContextMenu(QAbstractItemView* view, const QPoint& position);

    QTreeView* report_;
    QListView* list_;
    BrowserItemModel* model_ = nullptr;
    QItemSelectionModel* selection_ = nullptr;
    QMenu* menu_ = nullptr;
};

} // namespace vlt::ui
