#include "app/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <string_view>
#include <utility>
#include <vector>

#include "app/DialogUnits.h"
#include "app/DropFileEdit.h"
#include "job/ConversionSettings.h"

namespace {

// Takes a minus sign only where the setting goes below zero.
QWidget* MakeNumberEdit(QWidget& dialog, const TemplateControl& control) {
    auto* edit = new QLineEdit(&dialog);
    edit->setAlignment(Qt::AlignRight);
    const bool negative = SettingNamed(control.setting).range.lowest < 0;
    const QString pattern = negative ? QStringLiteral("-?[0-9]*") : QStringLiteral("[0-9]*");
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    return edit;
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QWidget* MakeList(QWidget& dialog, const TemplateControl& control) {
    auto* list = new QComboBox(&dialog);
    for (const SettingChoice& choice : SettingNamed(control.setting).choices) list->addItem(FromUtf8(choice.label));
    return list;
}

QString Caption(const TemplateControl& control) {
    if (control.kind == ControlKind::RadioButton)
        return FromUtf8(SettingNamed(control.setting).choices[size_t(control.choice)].label);
    return QString::fromUtf8(control.caption);
}

QWidget* MakeControl(QWidget& dialog, const TemplateControl& control) {
    const QString caption = Caption(control);
    switch (control.kind) {
    case ControlKind::Label: return new QLabel(caption, &dialog);
    case ControlKind::RightLabel: {
        auto* label = new QLabel(caption, &dialog);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit: return new QLineEdit(&dialog);
    case ControlKind::DropFileEdit: return new DropFileEdit(&dialog);
    case ControlKind::NumberEdit: return MakeNumberEdit(dialog, control);
    case ControlKind::PushButton: return new QPushButton(caption, &dialog);
    case ControlKind::RadioButton: return new QRadioButton(caption, &dialog);
    case ControlKind::CheckBox: return new QCheckBox(caption, &dialog);
    case ControlKind::DropDownList: return MakeList(dialog, control);
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

// Whether every drop-down list is at least as wide as its longest item needs.
bool ListsFit(const std::vector<std::pair<const TemplateControl*, QWidget*>>& made, const DialogUnits& units) {
    for (const auto& [control, widget] : made)
        if (control->kind == ControlKind::DropDownList && units.MapX(control->width) < widget->sizeHint().width())
            return false;
    return true;
}

}  // namespace

std::map<int, QWidget*> BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate, DialogUnits& units) {
    std::vector<std::pair<const TemplateControl*, QWidget*>> made;
    for (const TemplateControl& control : dialogTemplate.controls) made.emplace_back(&control, MakeControl(dialog, control));
    // The whole dialog widens rather than one list: the layout keeps its proportions.
    while (!ListsFit(made, units)) ++units.baseWidth;
    std::map<int, QWidget*> byId;
    for (const auto& [control, widget] : made) {
        widget->setGeometry(PlaceControl(*control, *widget, units));
        if (control->id == 0) continue;
        widget->setObjectName(QString::number(control->id));
        byId.emplace(control->id, widget);
    }
    return byId;
}
