// The editor of an in-place rename: a line edit over a list row. Return or leaving it ends the
// edit with its text, Escape ends it without; it ends exactly once and then removes itself.
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>

namespace zemlo::shell {

class InPlaceEditor : public QLineEdit {
    Q_OBJECT
  public:
    using Finished = std::function<void(const std::optional<QString> &text)>;

    InPlaceEditor(QWidget *parent, const QRect &rect, const QString &text, Finished finished);
    // Ends the edit as if the user left it (nothing when it has ended already).
    void commit();
    void cancel();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    void finish(const std::optional<QString> &text);
    Finished finished_;
    bool done_ = false;
};

}  // namespace zemlo::shell
