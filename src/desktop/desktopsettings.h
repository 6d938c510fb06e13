#pragma once

// What the user chose for the program's life on the desktop, kept in KQ.ini
// (section "Desktop"), shared by the tray menu and the notifier.
namespace DesktopSettings {

// Whether a firing event also shows a desktop notification; on by default.
bool NotifyEnabled();

// Returns false when KQ.ini could not be written.
bool SetNotifyEnabled(bool enabled);

} // namespace DesktopSettings
