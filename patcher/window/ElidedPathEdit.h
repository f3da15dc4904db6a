#pragma once
#include <QLineEdit>

// A path field that, while it is not being edited, shows a path too long for it with its
// middle left out ("/home/me/…/Battlefield Vietnam"), so both the start and the folder itself
// stay in view; the full path is its tooltip. While it has the focus it edits as usual.
class ElidedPathEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit ElidedPathEdit(QWidget* parent = nullptr);

    // What the field shows while it is not being edited.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextArea() const;
};
