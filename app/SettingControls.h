#pragma once
// The dialog's inputs bound to the settings they edit, as the template names them: moves the
// values between the controls and the ConversionRequest, in the settings model's order and
// through its validation (job/ConversionSettings.h).
#include <QString>

#include <map>
#include <optional>
#include <string_view>

#include "app/DialogTemplate.h"
#include "job/ConversionRequest.h"

class QButtonGroup;
class QLineEdit;
class QObject;
class QWidget;

class SettingControls {
public:
    struct Failure {
        QLineEdit* edit;  // the field at fault; a Qt child of the dialog
        QString message;
    };

    // Binds the template's inputs among `controls` (by identifier); a radio group becomes one
    // button group, edits of a text get its byte limit (and a title its upper case) as they are
    // typed. The groups and validators are Qt children of `owner`.
    void Bind(const DialogTemplate& dialogTemplate, const std::map<int, QWidget*>& controls, QObject& owner);

    // Every bound control shows its field of the request.
    void Load(const ConversionRequest& request) const;
    // Reads the controls into the request, setting by setting; at the first value that fails
    // validation it stops, fields before it keeping their new values and those after their old.
    std::optional<Failure> Store(ConversionRequest& request) const;

    // The button group of a setting shown as radio buttons.
    QButtonGroup& RadioGroup(std::string_view setting) const;

private:
    struct Binding {
        QWidget* control = nullptr;      // a single input
        QButtonGroup* radios = nullptr;  // or a radio group
    };
    std::map<std::string_view, Binding> bindings;
};
