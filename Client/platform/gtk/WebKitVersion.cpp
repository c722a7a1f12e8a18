#include "platform/gtk/WebKitVersion.h"

#include <webkit2/webkit2.h>

WebKitVersionNumber RunningWebKitVersion() { return {webkit_get_major_version(), webkit_get_minor_version()}; }
