#pragma once
// A GDK key event as the dialogs' key filter sees it (platform/ui/DialogKeys.h).
#include <gtk/gtk.h>

#include "platform/ui/DialogKeys.h"

DialogKeyPress DialogKeyPressOf(const GdkEventKey* event);
