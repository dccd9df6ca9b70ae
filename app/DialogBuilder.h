#pragma once
// Creates the controls of a dialog template as children of a dialog, in template order, at
// their template rectangles converted to pixels.
#include <map>

#include "app/DialogTemplate.h"

class QWidget;
struct DialogUnits;

// Returns the controls that have an identifier, by identifier (objectName: the identifier in
// decimal). Drop-down lists get their items; digit edits accept digits only.
std::map<int, QWidget*> BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate, const DialogUnits& units);
