#include "builder/window/TrimFields.h"

#include "widgets/DialogUnits.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

TrimFields::TrimFields(QWidget* parent) : QWidget(parent) {
    struct Spec {
        const char* label;
        const char* empty;
    };
    const Spec specs[] = {
        {"Sta&rt", "0.0"}, {"&End", "end"}, {"Fade &in", "0.0"}, {"Fade &out", "0.0"}};
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const int gap = DialogUnitsToPixels(*this, 0, 0, 6, 0).width();
    for (int index = 0; index < 4; ++index) {
        QLabel* label = new QLabel(QString::fromLatin1(specs[index].label), this);
        QLineEdit* field = new QLineEdit(this);
        field->setPlaceholderText(QString::fromLatin1(specs[index].empty));
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00.0")) +
                             field->fontMetrics().averageCharWidth() * 2);
        label->setBuddy(field);
        if (index > 0)
            row->addSpacing(gap);
        row->addWidget(label);
        row->addWidget(field);
        labels_[index] = label;
        fields_[index] = field;
        connect(field, &QLineEdit::editingFinished, this, [this, field, index] {
            field->setModified(false); // drawn from the slot again, also after a refusal
            emit TimeTyped(static_cast<Field>(index), field->text().toStdString());
        });
    }
    row->addStretch(1);
}

QLineEdit* TrimFields::field(Field which) const {
    return fields_[static_cast<std::size_t>(which)];
}

void TrimFields::Draw(const ProjectView& view) {
    const std::string* texts[] = {&view.startText, &view.endText, &view.fadeInText,
                                  &view.fadeOutText};
    for (std::size_t index = 0; index < fields_.size(); ++index) {
        QLineEdit* field = fields_[index];
        const QString text = QString::fromStdString(*texts[index]);
        // A time being typed stays until the field is left; an unchanged text keeps its cursor.
        if ((!field->hasFocus() || !field->isModified()) && field->text() != text) {
            const QSignalBlocker blocker(field);
            field->setText(text);
        }
        field->setEnabled(view.trimFieldsEnabled);
    }
}

void TrimFields::SelectForRetyping(Field which) {
    field(which)->setFocus();
    field(which)->selectAll();
}
