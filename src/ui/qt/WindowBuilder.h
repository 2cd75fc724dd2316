#pragma once
#include <QWidget>
#include <map>

#include "DialogUnits.h"
#include "ui/common/WindowDescription.h"

namespace p25 {

// Makes the widgets of a window from its description, in template order, each named by its id ("icon"
// for the program icon). Texts are aligned with the given vertical alignment. Answers the widgets by id.
std::map<int, QWidget*> BuildControls(const ui::WindowTemplate& window, QWidget* parent, const DialogUnits& units,
                                      Qt::Alignment textAlignment);

}  // namespace p25
