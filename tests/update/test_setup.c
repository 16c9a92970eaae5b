/* A stand-in setup program for the update tests: writes "setup-ran.txt" beside itself. */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash;
    HANDLE file;
    DWORD written = 0;
    static const char text[] = "setup ran\r\n";
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (n == 0 || n >= MAX_PATH)
        return 1;
    slash = strrchr(path, '\\');
    if (!slash)
        return 1;
    strcpy(slash + 1, "setup-ran.txt");
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    if (!WriteFile(file, text, sizeof text - 1, &written, NULL))
        written = 0;
    CloseHandle(file);
    return written == sizeof text - 1 ? 0 : 1;
}
