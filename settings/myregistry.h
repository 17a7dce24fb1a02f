// Loading the settings from HKCU\Software\Tamsel, and saving them there.
#pragma once

void LoadSettings();
void SaveSettings();
