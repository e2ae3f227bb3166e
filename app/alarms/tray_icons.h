// The tray pictures, drawn with QPainter: a grey plug (disconnected), a green lamp (connected),
// a red lamp with an exclamation mark (a dryer in alarm).
#pragma once

#include <QIcon>

#include "app/core/tray_look.h"

QIcon TrayIconFor(TrayState state);
