#pragma once
// Creates the controls of a dialog template as children of a dialog, in template order, at
// their template rectangles converted to pixels.
#include <map>

#include "app/DialogTemplate.h"

class QWidget;
struct DialogUnits;

// Returns the controls that have an identifier, by identifier (objectName: the identifier in
// decimal). Drop-down lists get their setting's choices as items, radio buttons their choice's
// caption; digit edits accept digits only. Where a drop-down list would be narrower than its
// longest item in the dialog's font, the horizontal unit grows until every list shows its items
// whole: `units` is then the one the controls were placed by, and the dialog's size follows it.
std::map<int, QWidget*> BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate, DialogUnits& units);
