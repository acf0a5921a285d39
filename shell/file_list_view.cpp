#include "file_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace zemlo::shell {

namespace {

constexpr int kNameColumnWidth = 190;
constexpr int kSizeColumnWidth = 80;
// Room around a header's text: its margins and the section's edge.
constexpr int kHeaderTextPadding = 12;

}  // namespace

int arrow_target(int selected, int step, int rows) {
    const int target = selected < 0 ? (step > 0 ? 0 : -1) : selected + step;
    return target >= 0 && target < rows ? target : -1;
}

FileListView::FileListView(Qt::Alignment name_alignment, QWidget *parent)
    : QTreeWidget(parent), name_alignment_(name_alignment) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void FileListView::make_columns() {
    setColumnCount(2);
    setHeaderLabels({tr("文件"), tr("大小(字节)")});
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignCenter);
    headerItem()->setTextAlignment(0, name_alignment_ | Qt::AlignVCenter);
    setColumnWidth(0, kNameColumnWidth);
    setColumnWidth(1, kSizeColumnWidth);
    header()->setStretchLastSection(true);
    setSortingEnabled(false);
}

bool FileListView::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Resize) {
        fit_columns();
    }
    return QTreeWidget::viewportEvent(event);
}

void FileListView::fit_columns() {
    const QFontMetrics metrics(header()->font());
    const int size_text = metrics.horizontalAdvance(headerItem()->text(1)) + kHeaderTextPadding;
    const int size_width = std::max(kSizeColumnWidth, size_text);
    const int room = viewport()->width() - size_width;
    setColumnWidth(0, std::clamp(room, size_width / 2, kNameColumnWidth));
}

int FileListView::selected_row() const {
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.front());
}

void FileListView::select_row(int row) {
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        setCurrentItem(item);
    }
}

QTreeWidgetItem *FileListView::make_row(const QIcon &icon, const QString &name,
                                        const QString &size) const {
    auto *item = new QTreeWidgetItem();
    item->setIcon(0, icon);
    item->setText(0, name);
    item->setText(1, size);
    item->setTextAlignment(0, name_alignment_ | Qt::AlignVCenter);
    item->setTextAlignment(1, Qt::AlignCenter);
    return item;
}

void FileListView::add_row(const QIcon &icon, const QString &name, const QString &size) {
    addTopLevelItem(make_row(icon, name, size));
}

void FileListView::insert_row_first(const QIcon &icon, const QString &name, const QString &size) {
    insertTopLevelItem(0, make_row(icon, name, size));
}

void FileListView::set_row_name(int row, const QString &name) {
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        item->setText(0, name);
    }
}

QRect FileListView::row_name_rect(int row) const {
    QTreeWidgetItem *item = topLevelItem(row);
    if (item == nullptr) {
        return {};
    }
    return visualRect(indexFromItem(item, 0));
}

void FileListView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::RightButton) {
        // A right-click selects like a click and opens no menu.
        if (QTreeWidgetItem *item = itemAt(event->position().toPoint())) {
            setCurrentItem(item);
        }
    }
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        const int row = selected_row();
        if (row >= 0) {
            emit row_chosen(row);
        }
    }
}

void FileListView::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int target =
            arrow_target(selected_row(), key == Qt::Key_Up ? -1 : 1, topLevelItemCount());
        if (target >= 0) {
            select_row(target);
            emit row_chosen(target);
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();  // Return does nothing in the lists.
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace zemlo::shell
