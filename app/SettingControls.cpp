#include "app/SettingControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

#include <string>

#include "app/ByteLimitValidator.h"
#include "job/ConversionSettings.h"

namespace {

void LimitTyping(QLineEdit& edit, const Setting& setting, QObject& owner) {
    const auto letterCase = setting.textRule == TextRule::Title ? ByteLimitValidator::Case::Upper : ByteLimitValidator::Case::Keep;
    edit.setValidator(new ByteLimitValidator(size_t(RangeFor(setting, SettingSource::Dialog).highest), letterCase, &owner));
}

// A list of a number's values (not of a choice) shows the item named by the value; none, when
// no item is.
int ItemOf(const Setting& setting, int32_t value) {
    if (setting.kind == SettingKind::Choice) return value;
    const std::string name = std::to_string(value);
    for (size_t item = 0; item < setting.choices.size(); ++item)
        if (setting.choices[item].name == name) return int(item);
    return -1;
}

}  // namespace

void SettingControls::Bind(const DialogTemplate& dialogTemplate, const std::map<int, QWidget*>& controls, QObject& owner) {
    for (const TemplateControl& control : dialogTemplate.controls) {
        if (control.setting.empty()) continue;
        const Setting& setting = SettingNamed(control.setting);
        QWidget* widget = controls.at(control.id);
        Binding& binding = bindings[setting.name];
        if (control.kind == ControlKind::RadioButton) {
            if (!binding.radios) binding.radios = new QButtonGroup(&owner);
            binding.radios->addButton(qobject_cast<QAbstractButton*>(widget), control.choice);
            continue;
        }
        binding.control = widget;
        if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && setting.kind == SettingKind::Text)
            LimitTyping(*edit, setting, owner);
    }
}

void SettingControls::Load(const ConversionRequest& request) const {
    for (const Setting& setting : ConversionSettings()) {
        const auto bound = bindings.find(setting.name);
        if (bound == bindings.end()) continue;
        const Binding& binding = bound->second;
        if (binding.radios) {
            if (QAbstractButton* button = binding.radios->button(request.*setting.number)) button->setChecked(true);
        } else if (auto* list = qobject_cast<QComboBox*>(binding.control)) {
            list->setCurrentIndex(ItemOf(setting, request.*setting.number));
        } else if (auto* edit = qobject_cast<QLineEdit*>(binding.control)) {
            edit->setText(setting.kind == SettingKind::Text ? QString::fromStdString(request.*setting.text)
                                                            : QString::number(request.*setting.number));
        } else if (auto* check = qobject_cast<QAbstractButton*>(binding.control)) {
            check->setChecked(request.*setting.number != 0);
        }
    }
}

std::optional<SettingControls::Failure> SettingControls::Store(ConversionRequest& request) const {
    for (const Setting& setting : ConversionSettings()) {
        const auto bound = bindings.find(setting.name);
        if (bound == bindings.end()) continue;
        const Binding& binding = bound->second;
        if (binding.radios) {
            request.*setting.number = binding.radios->checkedId();  // -1 when none is checked
        } else if (auto* list = qobject_cast<QComboBox*>(binding.control); list && setting.kind == SettingKind::Choice) {
            request.*setting.number = list->currentIndex();
        } else if (list) {
            // A list of a number's values: the chosen item's name is the value, within the range.
            if (const int item = list->currentIndex(); item >= 0)
                StoreSetting(setting, setting.choices[size_t(item)].name, request, SettingSource::Dialog);
        } else if (auto* edit = qobject_cast<QLineEdit*>(binding.control)) {
            // Disabled fields are read and checked like the others.
            if (auto message = StoreSetting(setting, edit->text().toStdString(), request, SettingSource::Dialog))
                return Failure{edit, QString::fromStdString(*message)};
        } else if (auto* check = qobject_cast<QAbstractButton*>(binding.control)) {
            request.*setting.number = check->isChecked() ? 1 : 0;
        }
    }
    return std::nullopt;
}

QButtonGroup& SettingControls::RadioGroup(std::string_view setting) const { return *bindings.at(setting).radios; }
