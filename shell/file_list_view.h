// A two-column file list ("文件", "大小(字节)") for the PC files and the handset files: report
// style, single selection, no sorting, no context menu. A click or right-click on a row, and the
// Up and Down keys, tell which row the user chose.
#pragma once

#include <QTreeWidget>

namespace zemlo::shell {

// The row that Up (-1) or Down (+1) moves to from the selected row (-1: none), or -1 when the key
// would leave the list. Down with nothing selected chooses the first row.
int arrow_target(int selected, int step, int rows);

class FileListView : public QTreeWidget {
    Q_OBJECT
  public:
    // The list without its columns: a header's sections are sized by the font, and the window
    // makes its lists before the font configuration has been read.
    FileListView(Qt::Alignment name_alignment, QWidget *parent = nullptr);
    // The two columns and their header; once, before the list is shown or filled.
    void make_columns();

    int selected_row() const;
    void select_row(int row);
    // Appends a row with its icon, the name and the size text.
    void add_row(const QIcon &icon, const QString &name, const QString &size);
    void insert_row_first(const QIcon &icon, const QString &name, const QString &size);
    void set_row_name(int row, const QString &name);
    QRect row_name_rect(int row) const;

  signals:
    void row_chosen(int row);

  protected:
    // The columns follow the room the list has (see fit_columns).
    bool viewportEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    // The name column is 190 pixels and the size column takes the rest, as long as the list is
    // wide enough; on a narrower list (a small font for a small screen) the name column gives
    // way, so the sizes never hide behind a scroll bar.
    void fit_columns();
    QTreeWidgetItem *make_row(const QIcon &icon, const QString &name, const QString &size) const;
    Qt::Alignment name_alignment_;
};

}  // namespace zemlo::shell
