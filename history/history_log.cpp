#include "history_log.h"

Q_LOGGING_CATEGORY(lcHistory, "larkspur.history")
