// Half of a pair of units: this one defines the variable that the other one binds to
// by name during static initialisation, in whatever order the linker chose.
#include "base/config/GlobalVar.h"

namespace {
Global::Group orderGroup = true;
}

Global::Int staticOrderDefinition("gv.static.order", 17, &orderGroup);
