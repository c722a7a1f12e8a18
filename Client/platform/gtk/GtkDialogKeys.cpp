#include "platform/gtk/GtkDialogKeys.h"

namespace {

DialogKey KeyOf(guint keyval) {
    switch (keyval) {
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
    case GDK_KEY_KP_Tab:
        return DialogKey::Tab;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        return DialogKey::Enter;
    case GDK_KEY_Escape:
        return DialogKey::Escape;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
        return DialogKey::Delete;
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert:
        return DialogKey::Insert;
    case GDK_KEY_F4:
        return DialogKey::F4;
    default:
        return keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F35 ? DialogKey::OtherFunctionKey : DialogKey::Other;
    }
}

char LatinLetter(guint keyval) {
    const guint lower = gdk_keyval_to_lower(keyval);
    return lower >= GDK_KEY_a && lower <= GDK_KEY_z ? static_cast<char>('a' + (lower - GDK_KEY_a)) : 0;
}

// Shortcuts go by the key, not by what it types: Ctrl+C is the same key in a Russian
// layout, where it types "с". The key's first level in each layout group tells.
char LatinLetterOfKey(const GdkEventKey* event) {
    if (const char own = LatinLetter(event->keyval)) return own;
    GdkDisplay* display = event->window ? gdk_window_get_display(event->window) : gdk_display_get_default();
    GdkKeymap* keymap = display ? gdk_keymap_get_for_display(display) : nullptr;
    GdkKeymapKey* keys = nullptr;
    guint* keyvals = nullptr;
    gint count = 0;
    char letter = 0;
    if (keymap && gdk_keymap_get_entries_for_keycode(keymap, event->hardware_keycode, &keys, &keyvals, &count)) {
        for (gint i = 0; i < count && !letter; ++i)
            if (keys[i].level == 0) letter = LatinLetter(keyvals[i]);
        g_free(keys);
        g_free(keyvals);
    }
    return letter;
}

}  // namespace

DialogKeyPress DialogKeyPressOf(const GdkEventKey* event) {
    DialogKeyPress press;
    press.key = KeyOf(event->keyval);
    press.latinLetter = LatinLetterOfKey(event);
    press.control = (event->state & GDK_CONTROL_MASK) != 0;
    press.shift = (event->state & GDK_SHIFT_MASK) != 0;
    press.alt = (event->state & (GDK_MOD1_MASK | GDK_META_MASK)) != 0;
    press.logo = (event->state & (GDK_SUPER_MASK | GDK_HYPER_MASK | GDK_MOD4_MASK)) != 0;
    return press;
}
