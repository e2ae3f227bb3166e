#include "pages/dryer_colour.h"

QColor QColorOf(DryerColour colour) {
    switch (colour) {
        case DryerColour::Red:
            return QColor(255, 0, 0);
        case DryerColour::Lightgrey:
            return QColor(211, 211, 211);
        case DryerColour::Green:
            return QColor(0, 128, 0);
        case DryerColour::Orange:
            return QColor(255, 165, 0);
        case DryerColour::Blue:
            return QColor(0, 0, 255);
        case DryerColour::Black:
            break;
    }
    return QColor(0, 0, 0);
}
