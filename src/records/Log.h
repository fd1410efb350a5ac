#pragma once

#include <QLoggingCategory>

namespace tessary {
// Every failure the application reports goes to this category ("tessary"),
// which lands on stderr or in the journal.
Q_DECLARE_LOGGING_CATEGORY(lcTessary)
} // namespace tessary
