// The screen colour of a dryer row's colour name.
#pragma once

#include <QColor>

#include "protocol/status_reply.h"

QColor QColorOf(DryerColour colour);
