// The Cycle Set Up page's dryer lists, on top of the page 52/53 records.
#pragma once

#include "protocol/cycle_records.h"

// The dryers the last reply reported present, and those of them in Backup (status 3).
// Written by the Cycle Set Up page on each reply; UI thread only.
extern DryerList g_PresentDryers;
extern DryerList g_BackupDryers;
