#pragma once
// Text sizes are pixel sizes; "System" names the application's default family.

#include <QFont>
#include <string>

namespace fw {

QFont fontOf(const std::string& family, int pixels);

} // namespace fw
