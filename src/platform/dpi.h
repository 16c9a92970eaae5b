// DPI queries. Windows 10 before 1607 has no per-window DPI functions: they are looked up at
// run time, and the system DPI stands in where they are missing.
#pragma once
#include <windows.h>

// The DPI of the monitor that holds a window (the system DPI for no window or on older builds;
// 96 when the system cannot tell).
int WindowDpi(HWND window);
// GetSystemMetrics(index) at the given DPI.
int SystemMetricForDpi(int index, int dpi);
// AdjustWindowRectEx at the given DPI; throws when the system refuses the styles.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
