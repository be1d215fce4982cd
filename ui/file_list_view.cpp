#include "ui/file_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

namespace vlt::ui {
namespace {

void SetUpView(QAbstractItemView& view) {
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setIconSize(QSize(16, 16));
    view.setContextMenuPolicy(Qt::CustomContextMenu);
}

} // namespace

FileListView::FileListView(QWidget* parent) : QStackedWidget(parent), report_(new QTreeView(this)),
                                              list_(new QListView(this)) {
    report_->setObjectName(QStringLiteral("FileViewReport"));
    list_->setObjectName(QStringLiteral("FileViewList"));
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(report_), static_cast<QAbstractItemView*>(list_)}) {
        SetUpView(*view);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, &FileListView::OpenRequested);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& position) { ShowContextMenu(view, position); });
        addWidget(view);
    }
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setUniformRowHeights(true);
    report_->setAllColumnsShowFocus(true);
    report_->setSortingEnabled(false); // the browser sorts its items itself
    report_->header()->setSectionsClickable(true);
    report_->header()->setSectionsMovable(false);
    report_->header()->setStretchLastSection(false);
    report_->header()->setDefaultSectionSize(100);
    connect(report_->header(), &QHeaderView::sectionClicked, this, &FileListView::ColumnClicked);

    // Names in columns that run top to bottom and wrap, filling the area.
    list_->setViewMode(QListView::ListMode);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setUniformItemSizes(true);
    list_->setModelColumn(colName);

    setCurrentWidget(report_);
    setFocusProxy(report_);
}

void FileListView::SetItemModel(BrowserItemModel* model) {
    model_ = model;
    report_->setModel(model);
    list_->setModel(model);
    // Both styles share one selection, so switching keeps what the user selected.
    QItemSelectionModel* unused = list_->selectionModel();
    selection_ = report_->selectionModel();
    list_->setSelectionModel(selection_);
    delete unused;
    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                MirrorSelection(selected, deselected);
                emit SelectionChanged();
            });
}

void FileListView::SetContextMenu(QMenu* menu) { menu_ = menu; }

bool FileListView::IsReportStyle() const { return currentWidget() == report_; }

void FileListView::SetReportStyle(bool report) {
    QAbstractItemView* shown = report ? static_cast<QAbstractItemView*>(report_) : list_;
    const bool hadFocus = CurrentView()->hasFocus();
    setCurrentWidget(shown);
    setFocusProxy(shown);
    if (hadFocus) {
        shown->setFocus();
    }
}

std::array<std::uint16_t, 6> FileListView::ColumnWidths() const {
    std::array<std::uint16_t, 6> widths{};
    for (int column = 0; column < 6; ++column) {
        widths[column] = static_cast<std::uint16_t>(std::clamp(report_->columnWidth(column), 0, 0xFFFF));
    }
    return widths;
}

void FileListView::SetColumnWidths(const std::array<std::uint16_t, 6>& widths) {
    for (int column = 0; column < 6; ++column) {
        report_->setColumnWidth(column, widths[column]);
    }
}

void FileListView::SetListFont(const QFont& font, const QColor& colour) {
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(report_), static_cast<QAbstractItemView*>(list_)}) {
        view->setFont(font);
        QPalette palette = view->palette();
        palette.setColor(QPalette::Text, colour);
        view->setPalette(palette);
    }
    // The column captions keep the window's font, as the list's header did.
    report_->header()->setFont(this->font());
}

int FileListView::FirstSelectedRow() const {
    if (selection_ == nullptr) {
        return -1;
    }
    int first = -1;
    for (const QItemSelectionRange& range : selection_->selection()) {
        if (first < 0 || range.top() < first) {
            first = range.top();
        }
    }
    return first;
}

void FileListView::SelectRow(int row) {
    if (selection_ == nullptr || model_ == nullptr) {
        return;
    }
    const QModelIndex index = model_->index(row, 0);
    selection_->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QAbstractItemView* FileListView::CurrentView() const {
    return IsReportStyle() ? static_cast<QAbstractItemView*>(report_) : list_;
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            emit OpenRequested(); // Enter opens the entry as a double-click does, and goes no further
            return true;
        }
    }
    return QStackedWidget::eventFilter(watched, event);
}

void FileListView::MirrorSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    BrowserModel& items = model_->Model();
    const auto apply = [&items](const QItemSelection& ranges, bool flag) {
        for (const QItemSelectionRange& range : ranges) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                if (static_cast<std::size_t>(row) < items.Count()) {
                    items.SetSelected(static_cast<std::size_t>(row), flag);
                }
            }
        }
    };
    apply(deselected, false);
    apply(selected, true);
}

void FileListView::ShowContextMenu(QAbstractItemView* view, const QPoint& position) {
    if (menu_ != nullptr) {
        menu_->popup(view->viewport()->mapToGlobal(position));
    }
}

} // namespace vlt::ui
