#pragma once
// The one-sentence hints the dialog shows when the pointer rests on a setting.
#include <QWidget>

#include <map>

// Gives each control of the main dialog that has a hint its tooltip; `controls` by identifier.
void SetControlTips(const std::map<int, QWidget*>& controls);
