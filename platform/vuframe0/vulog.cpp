#include "platform/vuframe0/vulog_p.h"

Q_LOGGING_CATEGORY(lcVuframe, "vuframe0")
