#pragma once

#include <QLoggingCategory>

namespace quillory::sim {
Q_DECLARE_LOGGING_CATEGORY(lcSim)
} // namespace quillory::sim
