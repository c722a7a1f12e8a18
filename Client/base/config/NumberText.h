#pragma once
// Locale-free number texts for global values and configuration files: the decimal
// point is always '.', whatever locale GTK or the user installed.
#include "base/runtime/String.h"

namespace Global {

// Six significant digits, trailing zeros dropped: the "%g" form.
::String FormatGeneral(double value);

// The saved form of a number: an integral value that fits a signed 64-bit integer is
// written in full, anything else (fractions, huge values, inf, nan) in the "%g" form.
::String FormatForFile(double value);

}  // namespace Global
