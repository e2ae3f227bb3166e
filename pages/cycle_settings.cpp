#include "pages/cycle_settings.h"

DryerList g_PresentDryers;
DryerList g_BackupDryers;
