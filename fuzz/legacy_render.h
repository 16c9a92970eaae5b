// The renderer as it was before templates were split into pieces, kept as the fuzz reference.
#pragma once
#include <string>

#include "render_rules.h"

std::string LegacyRenderStatistics(const std::string& templateText, int decimals,
                                   const TFigures& figures, char decimalSeparator);
