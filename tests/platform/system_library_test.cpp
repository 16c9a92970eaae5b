// TSystemLibrary: libraries come from the system folder only; missing functions are told apart.
#include "platform/system_library.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string LoadFailure(const char* name) {
    try {
        TSystemLibrary library(name);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "loaded";
}

} // namespace

TEST(SystemLibrary, LibraryBesideTheExecutableIsNotLoaded) {
    // Asked first: a module already loaded would be handed out by its name alone.
    const std::string expected = "Cannot load planted_library.dll from the system folder. ";
    EXPECT_EQ(expected, LoadFailure("planted_library.dll").substr(0, expected.size()));
    // The file is there and loadable when the executable's folder is searched.
    TModuleHandle beside(
        ::LoadLibraryExA("planted_library.dll", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR));
    EXPECT_TRUE(beside);
}

TEST(SystemLibrary, MissingFunctionThrowsOrIsNull) {
    TSystemLibrary iphlpapi("iphlpapi.dll");
    using GetNumberOfInterfacesFn = DWORD(WINAPI*)(PDWORD);
    DWORD count = 0;
    EXPECT_EQ(NO_ERROR, iphlpapi.Proc<GetNumberOfInterfacesFn>("GetNumberOfInterfaces")(&count));
    EXPECT_GT(count, 0u);
    EXPECT_EQ(nullptr, iphlpapi.FindProc<GetNumberOfInterfacesFn>("GetNumberOfPlantedThings"));
    try {
        iphlpapi.Proc<GetNumberOfInterfacesFn>("GetNumberOfPlantedThings");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ("The system's iphlpapi.dll has no function GetNumberOfPlantedThings",
                     e.what());
    }
}
