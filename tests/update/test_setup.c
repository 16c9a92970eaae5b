/* A stand-in setup program for the update tests: writes "setup-ran.txt" beside itself, in a
   folder of any name. */
#include <windows.h>
#include <wchar.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    wchar_t path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t* slash;
    HANDLE file;
    DWORD written = 0;
    static const char text[] = "setup ran\r\n";
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (n == 0 || n >= MAX_PATH)
        return 1;
    slash = wcsrchr(path, L'\\');
    if (!slash)
        return 1;
    wcscpy(slash + 1, L"setup-ran.txt");
    file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    if (!WriteFile(file, text, sizeof text - 1, &written, NULL))
        written = 0;
    CloseHandle(file);
    return written == sizeof text - 1 ? 0 : 1;
}
