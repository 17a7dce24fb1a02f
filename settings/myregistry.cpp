#include "settings/myregistry.h"

#include "settings/settings.h"

void LoadSettings() { SetDefaultSettings(); }

void SaveSettings() {}
