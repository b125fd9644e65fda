#include "gui_log.h"

Q_LOGGING_CATEGORY(lcGui, "larkspur.gui")
