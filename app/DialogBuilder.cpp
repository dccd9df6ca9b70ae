#include "app/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "app/DialogUnits.h"
#include "app/DropFileEdit.h"

namespace {

QWidget* MakeNumberEdit(QWidget& dialog) {
    auto* edit = new QLineEdit(&dialog);
    edit->setAlignment(Qt::AlignRight);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

QWidget* MakeList(QWidget& dialog, int id) {
    auto* list = new QComboBox(&dialog);
    for (const char* item : ListItems(id)) list->addItem(QString::fromUtf8(item));
    return list;
}

QWidget* MakeControl(QWidget& dialog, const TemplateControl& control) {
    const QString caption = QString::fromUtf8(control.caption);
    switch (control.kind) {
    case ControlKind::Label: return new QLabel(caption, &dialog);
    case ControlKind::RightLabel: {
        auto* label = new QLabel(caption, &dialog);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit: return new QLineEdit(&dialog);
    case ControlKind::DropFileEdit: return new DropFileEdit(&dialog);
    case ControlKind::NumberEdit: return MakeNumberEdit(dialog);
    case ControlKind::PushButton: return new QPushButton(caption, &dialog);
    case ControlKind::RadioButton: return new QRadioButton(caption, &dialog);
    case ControlKind::CheckBox: return new QCheckBox(caption, &dialog);
    case ControlKind::DropDownList: return MakeList(dialog, control.id);
    case ControlKind::GroupBox: return new QGroupBox(caption, &dialog);
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(&dialog);
        bar->setTextVisible(false);
        return bar;
    }
    }
    return nullptr;
}

// A drop-down list's template height is that of its opened list; closed, it is as high as the style makes it.
QRect PlaceControl(const TemplateControl& control, QWidget& widget, const DialogUnits& units) {
    QRect rect = units.Map(control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::DropDownList) rect.setHeight(widget.sizeHint().height());
    return rect;
}

}  // namespace

std::map<int, QWidget*> BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate, const DialogUnits& units) {
    std::map<int, QWidget*> byId;
    for (const TemplateControl& control : dialogTemplate.controls) {
        QWidget* widget = MakeControl(dialog, control);
        widget->setGeometry(PlaceControl(control, *widget, units));
        if (control.id == 0) continue;
        widget->setObjectName(QString::number(control.id));
        byId.emplace(control.id, widget);
    }
    return byId;
}
