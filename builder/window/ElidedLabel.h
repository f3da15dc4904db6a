#pragma once
#include <QLabel>

// A label whose text is cut with "..." to the room the layout gives it, with the whole text as
// its tooltip; it never asks the layout for more width. Nothing here fails.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return fullText_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString fullText_;
};
