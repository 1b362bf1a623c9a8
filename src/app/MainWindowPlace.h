#pragma once

// The main window's place between runs of the program: its position and
// size, whether it was maximised, and the page it showed.

class QSettings;
class TForm1;

// Where the program keeps it: varkol.conf in the user's configuration
// folder (~/.config/varkol/).
constexpr const char* PlaceSettingsOrganization = "varkol";
constexpr const char* PlaceSettingsApplication = "varkol";

void SaveWindowPlace(const TForm1& form, QSettings& settings);

// Before the window is shown: the saved place, moved within the screens
// there are now, and the saved page. Without a saved place the window keeps
// its own size, as far as the screen holds it.
void RestoreWindowPlace(TForm1& form, const QSettings& settings);
