#include "Log.h"

namespace tessary {
Q_LOGGING_CATEGORY(lcTessary, "tessary")
}
