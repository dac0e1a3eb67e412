#pragma once
// Numbers with a fixed count of decimals, as printf's "%.Nf" writes them,
// without the cost of printf on every sample: the common case is done with
// integers, and the rare value that lies on a rounding edge goes to printf.

#include <string>

namespace tide {

void appendFixed(std::string& out, double value, int decimals);

} // namespace tide
