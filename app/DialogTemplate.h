#pragma once
// Dialog template 102, the main dialog: its controls in template order (which is also the tab
// order) with their captions as stored and their rectangles in dialog units, and the items of
// its three drop-down lists, whose index is the stored value.
#include <span>

enum class ControlKind {
    Label,
    RightLabel,
    Edit,
    DropFileEdit,  // an edit that takes a dropped file's path
    NumberEdit,    // digits only, right-aligned
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
    const char* caption;      // UTF-8, as stored
    int x, y, width, height;  // dialog units
};

struct DialogTemplate {
    const char* caption;
    int width, height;  // client area, dialog units
    int fontPoints;
    std::span<const TemplateControl> controls;
};

extern const DialogTemplate kMainDialogTemplate;

// The items of list 1017, 1018 or 1021 in order; empty for any other identifier.
std::span<const char* const> ListItems(int listId);
