#pragma once
// Dialog template 102, the main dialog: its controls in template order (which is also the tab
// order) with their captions and their rectangles in dialog units, and the setting each input
// edits. The items of a drop-down list and the captions of a radio group are the choices of
// their setting (job/ConversionSettings.h).
#include <span>
#include <string_view>

enum class ControlKind {
    Label,
    RightLabel,
    Edit,
    DropFileEdit,  // an edit that takes a dropped file's path
    NumberEdit,    // digits only (and a minus sign where its setting goes below zero), right-aligned
    PushButton,
    RadioButton,
    CheckBox,
    DropDownList,
    GroupBox,
    ProgressBar,
};

struct TemplateControl {
    int id;  // 0 for the statics, which have no identifier of their own
    ControlKind kind;
    const char* caption;      // UTF-8; a radio button's comes from its choice
    int x, y, width, height;  // dialog units
    std::string_view setting = {};  // the setting the control edits; empty: none
    int choice = -1;                // a radio button: the index of the choice it stands for
};

struct DialogTemplate {
    const char* caption;
    int width, height;  // client area, dialog units
    int fontPoints;
    std::span<const TemplateControl> controls;
};

extern const DialogTemplate kMainDialogTemplate;
