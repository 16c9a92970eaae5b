// The tray icon's picture while it shows the rates: two bars, in on the left and out on the
// right, made anew each second.
#pragma once
#include "display/rate_bars.h"
#include "platform/handle.h"

// A size x size icon with the last second's bars of `rates`, from a 32-bit picture with alpha.
TIconHandle MakeRateIcon(int size, const TRateBars& rates);
