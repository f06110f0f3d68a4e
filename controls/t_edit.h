#pragma once
// CTEdit: the search box of the list pages, a frameless line edit with a thin
// grey line along its top and bottom edges so that it sits between the two
// end pictures of the search box.
//
// User-interface thread only.

#include <QLineEdit>

class CTEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CTEdit(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
