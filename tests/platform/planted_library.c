/* A library that lies only beside the test program, as a planted DLL would beside corvane.exe. */
__declspec(dllexport) int PlantedProbe(void) {
    return 1;
}
