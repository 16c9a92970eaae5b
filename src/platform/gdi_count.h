// The number of GDI objects the process holds, for leak checks.
#pragma once

unsigned CountGdiObjects();
