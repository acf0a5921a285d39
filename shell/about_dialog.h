// The about box "关于": the program's icon, its name and version, and "确定".
#pragma once

#include <QDialog>

namespace zemlo::shell {

struct BaseUnits;

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(const BaseUnits &base, QWidget *parent);
};

}  // namespace zemlo::shell
