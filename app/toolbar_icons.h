// The 16 x 16 toolbar pictures and the window icon, drawn with QPainter.
#pragma once

#include <QIcon>

enum class ToolbarIcon { Exit, DialSetup, PhoneBook, Connect, Disconnect, About };

QIcon ToolbarIconFor(ToolbarIcon which);
QIcon ApplicationIcon();
