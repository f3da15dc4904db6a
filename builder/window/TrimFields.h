#pragma once
#include "builder/ProjectController.h"
#include "builder/ProjectView.h"

#include <QWidget>

#include <array>
#include <string>

class QLabel;
class QLineEdit;

// The selected slot's Start, End, Fade in and Fade out, in one row of labelled fields, each
// as wide as the longest time it takes whatever the font. A time is handed on once typed in
// full (Enter, or leaving the field); a field being typed keeps its text while the view is
// drawn again.
class TrimFields : public QWidget {
    Q_OBJECT

public:
    using Field = ProjectController::TrimField;

    explicit TrimFields(QWidget* parent);

    QLineEdit* field(Field which) const;
    // Draws the slot's times and whether they may be typed.
    void Draw(const ProjectView& view);
    // Focus on a field with its text selected, so that a refused time is typed again.
    void SelectForRetyping(Field which);

signals:
    void TimeTyped(ProjectController::TrimField which, const std::string& text);

private:
    std::array<QLabel*, 4> labels_{};
    std::array<QLineEdit*, 4> fields_{};
};
