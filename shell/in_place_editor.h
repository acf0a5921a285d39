// The editor of an in-place rename: a line edit over a list row. Return or leaving it ends the
// edit with its text, Escape ends it without; it ends exactly once and then removes itself. The
// keyboard focus it held goes back to the list it edits, not on along the tab chain.
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>

namespace zemlo::shell {

class InPlaceEditor : public QLineEdit {
    Q_OBJECT
  public:
    using Finished = std::function<void(const std::optional<QString> &text)>;

    // focus_after: the list being edited, which takes the focus back when the edit ends.
    InPlaceEditor(QWidget *parent, QWidget *focus_after, const QRect &rect, const QString &text,
                  Finished finished);
    // Ends the edit as if the user left it (nothing when it has ended already).
    void commit();
    void cancel();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    void finish(const std::optional<QString> &text);
    QWidget *focus_after_;
    Finished finished_;
    bool done_ = false;
};

}  // namespace zemlo::shell
