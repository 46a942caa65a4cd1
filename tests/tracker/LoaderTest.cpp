// Protects the library as the configurator meets it: loaded with dlopen by
// file name, exactly the eight functions resolvable, and a session through
// them.
#include "kvusb.h"

#include <gtest/gtest.h>

#include "TrackerTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The platform's loader, as QLibrary uses it.
#if defined(_WIN32)
void *openLibrary(const char *path) { return reinterpret_cast<void *>(::LoadLibraryA(path)); }
void *findSymbol(void *library, const char *name)
{
    return reinterpret_cast<void *>(::GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void *library) { ::FreeLibrary(static_cast<HMODULE>(library)); }
std::string loaderError() { return "error " + std::to_string(::GetLastError()); }
#else
void *openLibrary(const char *path) { return ::dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void *findSymbol(void *library, const char *name) { return ::dlsym(library, name); }
void closeLibrary(void *library) { ::dlclose(library); }
std::string loaderError() { return ::dlerror(); }
#endif

class Loader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home = kvtracker::test::makeTemporaryFolder("kvtracker-load-");
        kvtracker::test::setEnvironment("KVTRACKER_HOME", home);
        library = openLibrary(KVUSB_LIBRARY_PATH);
        ASSERT_NE(library, nullptr) << loaderError();
    }
    void TearDown() override
    {
        if (library)
            closeLibrary(library);
        std::filesystem::remove_all(home);
    }
    template <typename F>
    F resolve(const char *name)
    {
        return reinterpret_cast<F>(findSymbol(library, name));
    }

    std::string home;
    void *library = nullptr;
};

} // namespace

TEST_F(Loader, ExportsTheEightFunctionsAndNothingOfTheEngine)
{
    for (const char *name : {"RW_GetListDevices", "RW_OpenDevice", "RW_CloseDevice", "RW_Read", "RW_ReadNotTimeOut",
                             "RW_Write", "RW_Purge", "RW_SetTimeouts"})
        EXPECT_NE(findSymbol(library, name), nullptr) << name;
    EXPECT_EQ(findSymbol(library, "_ZN9kvtracker14VirtualTracker8exchangeERKNSt7__cxx1112basic_stringIcSt11char_"
                               "traitsIcESaIcEEE"),
              nullptr);
}

TEST_F(Loader, ConfiguratorSessionThroughDynamicallyLoadedFunctions)
{
    auto list = resolve<decltype(&RW_GetListDevices)>("RW_GetListDevices");
    auto open = resolve<decltype(&RW_OpenDevice)>("RW_OpenDevice");
    auto timeouts = resolve<decltype(&RW_SetTimeouts)>("RW_SetTimeouts");
    auto write = resolve<decltype(&RW_Write)>("RW_Write");
    auto read = resolve<decltype(&RW_ReadNotTimeOut)>("RW_ReadNotTimeOut");
    auto close = resolve<decltype(&RW_CloseDevice)>("RW_CloseDevice");
    ASSERT_TRUE(list && open && timeouts && write && read && close);

    uint32_t count = 0;
    ASSERT_EQ(list(KVUSB_FLAGS, nullptr, &count), 0);
    ASSERT_EQ(count, 1u);
    char entry[KVUSB_LIST_ENTRY_SIZE];
    ASSERT_EQ(list(KVUSB_FLAGS, entry, &count), 0);
    RW_HANDLE handle = nullptr;
    ASSERT_EQ(open(KVUSB_FLAGS, entry + KVUSB_LIST_NAME_OFFSET, &handle), 0);
    EXPECT_EQ(timeouts(handle, 500, 500), 0);
    uint32_t n = 0;
    EXPECT_EQ(write(handle, "SECURESETUP=?;", 14, &n), 0);
    char reply[540];
    EXPECT_EQ(read(handle, reply, 539, &n), 0);
    EXPECT_EQ(std::string(reply, n), "SECURESETUP=0;");
    EXPECT_EQ(close(&handle), 0);
}
