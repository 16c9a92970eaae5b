// The main window: a small borderless panel that shows the statistics, with the two timers
// that drive the display and the autosave, and the close and end-of-session saves.
#pragma once
#include "platform/window.h"

class TMemIniFile;

class Tf_Main : public TWindow {
public:
    explicit Tf_Main(TMemIniFile& config);

    // Places and shows the window, applies the settings, removes a left-over setup program.
    void FormCreate();
    // Restarts the adapter monitor and applies the display settings.
    void Initialize();
    void WriteStatistics();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateNativeWindow();
    void PlaceFromStore();
    void timerUpdateTimer();
    void timerAutoSaveTimer();
    void FormClose();
    void SaveOnEndSession();
    void ApplyDisplaySettings();
    LRESULT EraseBackground(HDC dc);

    TMemIniFile& config_;
    TBrushHandle background_;
};
