#include "core/Logging.h"

Q_LOGGING_CATEGORY(lcCore, "tarnel.core")
Q_LOGGING_CATEGORY(lcPlatform, "tarnel.platform")
Q_LOGGING_CATEGORY(lcEngine, "tarnel.engine")
Q_LOGGING_CATEGORY(lcShell, "tarnel.shell")
Q_LOGGING_CATEGORY(lcUi, "tarnel.ui")
